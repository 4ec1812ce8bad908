#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "archive/ArchiveLeftovers.h"
#include "archive/ArchiveSettings.h"
#include "archive/ArchiveWriter.h"

// The archive of one exchange: every form handed in is queued and written by an ArchiveWriter
// on a thread of the archive's, so the line never waits for the disk.
class FormArchive {
public:
    using Line = ArchiveWriter::Line;
    using Entry = ArchiveWriter::Entry;
    using Failure = ArchiveWriter::Failure;
    // Both are called on the archive's thread.
    using FailureHandler = std::function<void(const Failure&)>;  // the first failure only
    using WrittenHandler = std::function<void(const Entry&)>;    // each file written
    using LeftoversHandler = std::function<void(const std::vector<Leftover>&)>;
    using Now = std::function<QDateTime()>;

    FormArchive(ArchiveSettings settings, Line line);
    ~FormArchive();  // finishes
    FormArchive(const FormArchive&) = delete;
    FormArchive& operator=(const FormArchive&) = delete;

    // Set before the first add().
    void setFailureHandler(FailureHandler handler) { m_onFailure = std::move(handler); }
    void setWrittenHandler(WrittenHandler handler) { m_onWritten = std::move(handler); }
    void setLeftoversHandler(LeftoversHandler handler) { m_onLeftovers = std::move(handler); }
    void setClock(Now now) { m_now = std::move(now); }
    void keepEntries(bool keep) { m_keepEntries = keep; }

    // Hands in form `number` (cp1251, as delivered to its window); returns at once. Any thread.
    void add(int number, const QByteArray& cp1251, bool complete);
    // Returns when everything handed in has been written or has failed.
    void finish();
    // Has the archive's thread recover what broken-off archives left in the folder (see
    // ArchiveLeftovers::recover), before it writes anything; the handler hears of it, once.
    // Returns at once.
    void recoverLeftovers();

    // The files as they stand (with keepEntries), and the counts.
    std::vector<Entry> entries() const;
    int formsWritten() const;
    int formsFailed() const;
    std::optional<Failure> firstFailure() const;

    // The bytes "Сохранить" writes for a window that was given `cp1251`: the line breaks as
    // CR LF, zero bytes dropped.
    static QByteArray savedBytes(const QByteArray& cp1251);
    // "Форма 3 не записана в архив: ..." for the operator.
    static QString failureText(const Failure& failure);
    // A leftover recovered or removed, for the log.
    static QString leftoverText(const Leftover& leftover);

private:
    struct Job {
        int number;
        QByteArray text;
        bool complete;
        QDateTime received;
        std::size_t cost() const { return static_cast<std::size_t>(text.size()) + kJobCost; }
    };

    void run();
    void recover(std::unique_lock<std::mutex>& lock);
    std::size_t writeBatch(std::unique_lock<std::mutex>& lock);
    void report(const ArchiveWriter::Outcome& outcome);
    void fail(Failure failure);
    void written(const Entry& entry);

    ArchiveWriter m_writer;  // the archive thread's own
    FailureHandler m_onFailure;
    WrittenHandler m_onWritten;
    LeftoversHandler m_onLeftovers;
    // In UTC, which costs the line no time zone look-up; names are made in local time.
    Now m_now = [] { return QDateTime::currentDateTimeUtc(); };
    bool m_keepEntries = false;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_queue;
    // Bytes of the forms handed in ahead of the disk, each form counted with what keeping it
    // costs besides its text. Only a disk this far behind holds the line back, so that the
    // memory cannot grow without end; at the speed of a serial line it never happens.
    static constexpr std::size_t kMaxQueuedBytes = std::size_t{64} << 20;
    static constexpr std::size_t kJobCost = 128;
    static constexpr std::size_t kBacklog = 64;  // forms waiting at once
    std::size_t m_queuedBytes = 0;
    bool m_recover = false;
    bool m_busy = false;
    bool m_closing = false;
    // The files written (with keepEntries), as compact as a long exchange of small forms
    // needs: each folder once, the names in one block of UTF-8. A QString path a form came to
    // some 200 bytes, two megabytes over ten thousand forms.
    struct KeptEntry {
        int number;
        bool complete;
        qint64 size;
        std::uint32_t folder;  // in m_folders
        std::uint32_t nameAt, nameLength;  // in m_names
    };
    void keep(const Entry& entry);
    std::vector<KeptEntry> m_kept;
    std::vector<QString> m_folders;
    QByteArray m_names;
    int m_written = 0;
    int m_failed = 0;  // writes that failed
    int m_lastWrittenNumber = 0;
    std::optional<Failure> m_firstFailure;

    std::thread m_thread;  // last: starts when everything above exists
};
