#include "archive/FormArchive.h"

#include <QDir>

#include "forms/TextFileCodec.h"
#include "platform/FileSync.h"
#include "res/Texts.h"

FormArchive::FormArchive(ArchiveSettings settings, Line line)
    : m_writer(std::move(settings), std::move(line)), m_thread([this] { run(); }) {}

FormArchive::~FormArchive() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

QByteArray FormArchive::SavedBytes(const QByteArray& cp1251) {
    return TextFileCodec::Encode(TextFileCodec::Decode(cp1251));
}

QString FormArchive::FailureText(const Failure& failure) {
    return QStringLiteral("Форма %1 не записана в архив: %2.\nПапка архива: %3")
        .arg(failure.number)
        .arg(failure.reason, QDir::toNativeSeparators(failure.folder));
}

QString FormArchive::LeftoverText(const Leftover& leftover) {
    const QString file = QDir::toNativeSeparators(leftover.file);
    if (leftover.path.isEmpty()) return texts::kLeftoverRemoved.arg(file);
    return texts::kLeftoverRecovered.arg(file, QDir::toNativeSeparators(leftover.path))
        .arg(leftover.size);
}

void FormArchive::add(int number, const QByteArray& cp1251, bool complete) {
    Job job{number, cp1251, complete, m_now(), Steady::now()};
    const bool large = job.large();
    bool wake = large;
    {
        std::unique_lock lock(m_mutex);
        if (large) {
            ++m_large;
            m_changed.notify_all();  // what waits for a lull is written at once now
        }
        m_changed.wait(lock, [this, large] {
            return large ? m_queuedBytes + m_stagingBytes == 0 : m_queuedBytes < kMaxQueuedBytes;
        });
        m_lastAdded = job.queued;
        const bool wasUrgent = m_queuedBytes >= kUrgentBytes;
        m_queuedBytes += job.cost();
        m_queue.push_back(std::move(job));
        // The archive's thread waits for the first form, or for a time that it computes itself
        // from the forms' times: it needs no wake-up for every form.
        wake = wake || m_queue.size() == 1 || (!wasUrgent && m_queuedBytes >= kUrgentBytes);
    }
    if (wake) m_changed.notify_all();
}

void FormArchive::recoverLeftovers() {
    {
        std::lock_guard lock(m_mutex);
        m_recover = true;
    }
    m_changed.notify_all();
}

void FormArchive::finish() {
    std::unique_lock lock(m_mutex);
    ++m_finishing;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_queue.empty() && !m_busy && !m_recover; });
    --m_finishing;
}

FormArchive::Steady::time_point FormArchive::WriteAt(Steady::time_point oldest,
                                                     Steady::time_point last,
                                                     std::size_t queuedBytes, bool urgent) {
    if (urgent || queuedBytes >= kUrgentBytes) return Steady::time_point::min();
    return std::min(last + kLull, oldest + kMaxDelay);
}

// Writes the forms handed in, in batches: one sync of the disk serves all files of a batch, so
// a disk that is slow to sync still keeps up with many small forms. A batch is kept small so
// that a long backlog never needs much memory at once.
void FormArchive::run() {
    // The disk may wait; the line, with its echoes, must not wait for the disk's processor time.
    LowerThreadPriority();
    std::unique_lock lock(m_mutex);
    bool backlog = false;
    for (;;) {
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_closing || m_recover; });
        if (m_recover) recover(lock);
        if (m_queue.empty()) {
            if (m_closing) return;  // all is written
            continue;
        }
        waitToWrite(lock);
        m_busy = true;
        backlog = writeBatch(lock) || backlog;
        // A backlog worked off leaves its memory freed in small pieces all over the heap.
        if (backlog && m_queue.empty()) {
            ReleaseFreedMemory();
            backlog = false;
        }
        m_busy = false;
        m_changed.notify_all();
    }
}

// Stages the forms one by one until the batch is full, the queue empty, or the line busy again
// (the rest waits for the next lull), then commits them. True when the batch was full.
bool FormArchive::writeBatch(std::unique_lock<std::mutex>& lock) {
    std::size_t taken = 0;
    bool staged = false;
    while (!m_queue.empty() && taken < kBatch && writeDue()) {
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        m_queuedBytes -= job.cost();
        if (job.large()) --m_large;
        ++taken;
        // Only the latest text of a form matters.
        if (!m_queue.empty() && m_queue.front().number == job.number) {
            m_changed.notify_all();  // room for a line held back by a full queue
            continue;
        }
        m_stagingBytes = job.cost();
        lock.unlock();
        m_writer.stage({job.number, job.text, job.complete, job.received});
        staged = true;
        job.text = QByteArray();
        lock.lock();
        m_stagingBytes = 0;
        m_changed.notify_all();  // room for a line held back by a full queue
    }
    if (staged) {
        lock.unlock();
        report(m_writer.commit());
        lock.lock();
    }
    return taken == kBatch;
}

bool FormArchive::urgent() const {
    return m_closing || m_finishing > 0 || m_large > 0;
}

bool FormArchive::writeDue() const {
    return Steady::now() >= WriteAt(m_queue.front().queued, m_lastAdded, m_queuedBytes, urgent());
}

void FormArchive::waitToWrite(std::unique_lock<std::mutex>& lock) {
    while (!writeDue())
        m_changed.wait_until(lock,
                             WriteAt(m_queue.front().queued, m_lastAdded, m_queuedBytes, urgent()));
}

void FormArchive::recover(std::unique_lock<std::mutex>& lock) {
    m_busy = true;
    lock.unlock();
    const auto found = m_writer.recoverLeftovers();
    if (!found.empty() && m_onLeftovers) m_onLeftovers(found);
    lock.lock();
    m_recover = false;
    m_busy = false;
    m_changed.notify_all();
}

void FormArchive::report(const ArchiveWriter::Outcome& outcome) {
    for (const Failure& failure : outcome.failed) fail(failure);
    for (const Entry& entry : outcome.written) written(entry);
}

void FormArchive::fail(Failure failure) {
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        ++m_failed;
        if (!m_firstFailure) {
            m_firstFailure = failure;
            first = true;
        }
    }
    if (first && m_onFailure) m_onFailure(failure);
}

void FormArchive::written(const Entry& entry) {
    {
        std::lock_guard lock(m_mutex);
        if (m_keepEntries) {
            if (m_entries.empty() || m_entries.back().number != entry.number)
                m_entries.push_back(entry);
            else
                m_entries.back() = entry;
        }
        if (m_lastWrittenNumber != entry.number) ++m_written;
        m_lastWrittenNumber = entry.number;
    }
    if (m_onWritten) m_onWritten(entry);
}

std::vector<FormArchive::Entry> FormArchive::entries() const {
    std::lock_guard lock(m_mutex);
    return m_entries;
}

int FormArchive::formsWritten() const {
    std::lock_guard lock(m_mutex);
    return m_written;
}

int FormArchive::formsFailed() const {
    std::lock_guard lock(m_mutex);
    return m_failed;
}

std::optional<FormArchive::Failure> FormArchive::firstFailure() const {
    std::lock_guard lock(m_mutex);
    return m_firstFailure;
}
