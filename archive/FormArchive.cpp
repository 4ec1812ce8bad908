#include "archive/FormArchive.h"

#include <QDir>
#include <algorithm>

#include "files/TextFileCodec.h"
#include "platform/MemoryRelease.h"
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

QByteArray FormArchive::savedBytes(const QByteArray& cp1251) {
    return TextFileCodec::encode(TextFileCodec::decode(cp1251));
}

QString FormArchive::failureText(const Failure& failure) {
    return texts::archiveFailure(failure.number, failure.reason,
                                 QDir::toNativeSeparators(failure.folder));
}

QString FormArchive::leftoverText(const Leftover& leftover) {
    const QString file = QDir::toNativeSeparators(leftover.file);
    if (!leftover.sameAs.isEmpty())
        return texts::kLeftoverSameAsForm.arg(file, QDir::toNativeSeparators(leftover.sameAs));
    if (leftover.path.isEmpty()) return texts::kLeftoverRemoved.arg(file);
    return texts::kLeftoverRecovered.arg(file, QDir::toNativeSeparators(leftover.path))
        .arg(leftover.size);
}

void FormArchive::add(int number, const QByteArray& cp1251, bool complete) {
    Job job{number, cp1251, complete, m_now()};
    bool wake = false;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queuedBytes < kMaxQueuedBytes; });
        m_queuedBytes += job.cost();
        m_queue.push_back(std::move(job));
        // A busy archive thread finds the queue when it is done; only an idle one needs waking.
        wake = m_queue.size() == 1;
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
    m_changed.wait(lock, [this] { return m_queue.empty() && !m_busy && !m_recover; });
}

// Writes the forms as they come. One sync of the disk serves all that waited while the last
// batch was written, so a disk slow to sync still keeps up with many small forms.
void FormArchive::run() {
    std::unique_lock lock(m_mutex);
    bool backlog = false;
    for (;;) {
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_closing || m_recover; });
        if (m_recover) recover(lock);
        if (m_queue.empty()) {
            if (m_closing) return;  // all is written
            continue;
        }
        m_busy = true;
        // Forms that came faster than the disk took them leave their memory freed in small
        // pieces all over the heap once worked off; a line that pauses after each form never.
        backlog = writeBatch(lock) >= kBacklog || backlog;
        if (backlog && m_queue.empty()) {
            releaseFreedMemory();
            backlog = false;
        }
        m_busy = false;
        m_changed.notify_all();
    }
}

// Stages the forms waiting now, one by one, each text let go as soon as it is in its file,
// then commits them. Returns how many were taken.
std::size_t FormArchive::writeBatch(std::unique_lock<std::mutex>& lock) {
    bool staged = false;
    const std::size_t taken = m_queue.size();
    for (std::size_t waiting = taken; waiting > 0; --waiting) {
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        m_queuedBytes -= job.cost();
        m_changed.notify_all();  // room for a line held back by a full queue
        // Only the latest text of a form matters.
        if (waiting > 1 && m_queue.front().number == job.number) continue;
        lock.unlock();
        m_writer.stage({job.number, std::move(job.text), job.complete, job.received});
        staged = true;
        lock.lock();
    }
    if (staged) {
        lock.unlock();
        report(m_writer.commit());
        lock.lock();
    }
    return taken;
}

void FormArchive::recover(std::unique_lock<std::mutex>& lock) {
    m_busy = true;
    lock.unlock();
    const auto found = m_writer.recoverLeftovers(m_now());
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
        if (m_keepEntries) keep(entry);
        if (m_lastWrittenNumber != entry.number) ++m_written;
        m_lastWrittenNumber = entry.number;
    }
    if (m_onWritten) m_onWritten(entry);
}

// Under the lock. A form written again (longer, or whole at last) keeps its place.
void FormArchive::keep(const Entry& entry) {
    // The folder with its slash, so that the path is the two put together again.
    const qsizetype slash = entry.path.lastIndexOf(u'/');
    const QString folder = entry.path.left(slash + 1);
    const QByteArray name = entry.path.mid(slash + 1).toUtf8();
    // Forms come month after month, so the folder is nearly always the last one.
    auto found = std::find(m_folders.rbegin(), m_folders.rend(), folder);
    if (found == m_folders.rend()) {
        m_folders.push_back(folder);
        found = m_folders.rbegin();
    }
    const KeptEntry kept{entry.number,
                         entry.complete,
                         entry.size,
                         std::uint32_t(m_folders.rend() - found - 1),
                         std::uint32_t(m_names.size()),
                         std::uint32_t(name.size())};
    m_names.append(name);
    if (m_kept.empty() || m_kept.back().number != entry.number)
        m_kept.push_back(kept);
    else
        m_kept.back() = kept;
}

std::vector<FormArchive::Entry> FormArchive::entries() const {
    std::lock_guard lock(m_mutex);
    std::vector<Entry> entries;
    entries.reserve(m_kept.size());
    for (const KeptEntry& k : m_kept) {
        const QString name = QString::fromUtf8(m_names.constData() + k.nameAt, k.nameLength);
        entries.push_back({k.number, m_folders[k.folder] + name, k.size, k.complete});
    }
    return entries;
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
