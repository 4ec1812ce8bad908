#include "index/Reconciler.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

#include "archive/FormPath.h"
#include "index/FormPipeline.h"
#include "index/FormReader.h"
#include "index/IndexDatabase.h"

namespace {

// A batch is made visible to the window when it is this large or this old.
constexpr int kBatchForms = 2000;
constexpr qint64 kBatchMs = 300;
// How long a folder must have stayed as it is before its time is trusted.
constexpr qint64 kSettleMs = 2000;
constexpr int kReaders = 3;

}  // namespace

Reconciler::Reconciler(IndexDatabase& db, QString root) : m_db(db), m_root(std::move(root)) {}

bool Reconciler::addFile(const QString& path) {
    const QString relative = QDir(m_root).relativeFilePath(path);
    const QFileInfo info(path);
    if (!FormPath::isForm(relative) || relative.startsWith(QLatin1String("../"))) return false;
    QByteArray text;
    FormRecord r = readForm(m_root, ArchiveScan::stamp(info, relative), text);
    return m_db.begin() && m_db.put(r, text) && m_db.commit();
}

Reconciler::Summary Reconciler::run() {
    Summary summary;
    QHash<QString, IndexDatabase::Stamp> known;
    for (IndexDatabase::Stamp& s : m_db.stamps()) known.insert(s.path, std::move(s));
    ArchiveScan::Listing listed = ArchiveScan::scan(m_root, shortcut(known), m_stop);
    // A part of the archive is no reason to drop the index's forms of the rest.
    if (listed.stopped) {
        summary.stopped = true;
        return summary;
    }
    std::vector<ArchiveScan::File> toRead;
    for (ArchiveScan::File& f : listed.files) {
        const auto it = known.constFind(f.path);
        if (it == known.cend()) {
            toRead.push_back(std::move(f));
            continue;
        }
        if (it->unreadable || (f.stamped && (it->size != f.size || it->mtime != f.mtime))) {
            toRead.push_back(std::move(f));
            ++summary.changed;
        }
        known.erase(it);
    }
    std::vector<qint64> gone;
    for (const IndexDatabase::Stamp& s : std::as_const(known)) gone.push_back(s.id);
    if (!removeGone(gone, summary) || !addAll(toRead, summary)) summary.failed = true;
    summary.added = int(toRead.size()) - summary.changed;
    if (!summary.failed && !summary.stopped) summary.failed = !keepFolders(listed.folders);
    return summary;
}

ArchiveScan::Shortcut Reconciler::shortcut(const QHash<QString, IndexDatabase::Stamp>& known) {
    auto knows = [&known](const QString& path) {
        const auto it = known.constFind(path);
        return it != known.cend() && !it->unreadable;
    };
    if (m_thorough) return {{}, knows};
    m_folders.clear();
    for (ArchiveScan::Folder& f : m_db.folders()) m_folders.insert(f.path, std::move(f));
    return {[this](const ArchiveScan::Folder& f) {
                const auto it = m_folders.constFind(f.path);
                return it != m_folders.cend() && it->mtimeNs == f.mtimeNs && it->forms == f.forms;
            },
            knows};
}

bool Reconciler::keepFolders(std::vector<ArchiveScan::Folder>& folders) {
    // A folder's time has a grain: a name added within the same tick as the look would leave
    // it as it was, so a folder changed just now is not trusted the next time.
    const qint64 settled = (QDateTime::currentMSecsSinceEpoch() - kSettleMs) * 1000000;
    for (ArchiveScan::Folder& f : folders)
        if (f.mtimeNs > settled) f.mtimeNs = -1;
    return m_db.setFolders(folders);
}

bool Reconciler::removeGone(const std::vector<qint64>& gone, Summary& summary) {
    if (gone.empty()) return true;
    if (!m_db.begin()) return false;
    for (qint64 id : gone)
        if (!m_db.remove(id)) return false;
    summary.removed = int(gone.size());
    return m_db.commit();
}

// Oldest first, so that the newest forms get the highest ids, which searches list first.
std::vector<ArchiveScan::File> Reconciler::oldestFirst(
    std::vector<ArchiveScan::File>& files) const {
    std::vector<std::pair<qint64, qsizetype>> order;
    order.reserve(files.size());
    for (qsizetype i = 0; i < qsizetype(files.size()); ++i) {
        ArchiveScan::File& f = files[i];
        if (const std::optional<QDateTime> named = FormPath::timeInName(f.path)) {
            order.push_back({named->toMSecsSinceEpoch(), i});
            continue;
        }
        // A name of the operator's template: ordered by the file's time, looked at only now.
        if (!f.stamped) f = ArchiveScan::stamp(QFileInfo(QDir(m_root).filePath(f.path)), f.path);
        order.push_back({f.mtime, i});
    }
    std::sort(order.begin(), order.end());
    std::vector<ArchiveScan::File> ordered;
    ordered.reserve(files.size());
    for (const auto& [received, i] : order) ordered.push_back(std::move(files[i]));
    return ordered;
}

bool Reconciler::addAll(std::vector<ArchiveScan::File>& files, Summary& summary) {
    std::vector<ArchiveScan::File> ordered = oldestFirst(files);
    const qsizetype total = qsizetype(ordered.size());
    // Reads of a cold disk wait more than they work: a few at once keep it busy.
    FormPipeline pipeline(m_root, std::move(ordered), int(std::min<qsizetype>(total, kReaders)));
    QElapsedTimer batch;
    batch.start();
    int inBatch = 0;
    FormPipeline::Form form;
    for (qsizetype done = 0; done < total; ++done) {
        if (m_stop && m_stop->load()) {
            summary.stopped = true;
            break;
        }
        if (inBatch == 0 && !m_db.begin()) return false;
        pipeline.next(form);
        if (!form.record.error.isEmpty()) ++summary.unreadable;
        summary.bytes += form.text.size();
        if (!m_db.put(form.record, form.text, form.tokens)) return false;
        if (++inBatch >= kBatchForms || batch.elapsed() >= kBatchMs) {
            if (!m_db.commit()) return false;
            inBatch = 0;
            batch.restart();
            if (m_progress) m_progress(done + 1, total);
        }
    }
    if (inBatch > 0 && !m_db.commit()) return false;
    if (m_progress) m_progress(total, total);
    return true;
}
