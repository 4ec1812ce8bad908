#include "archive/ArchiveScan.h"

#include <QDateTime>
#include <QFile>

#include "archive/FormPath.h"
#include "files/SystemPath.h"
#include "platform/FolderListing.h"

namespace ArchiveScan {
namespace {

// Unsorted and without a stat() per name unless asked: an archive of years has 100,000 names,
// and looking at each of them costs more than the rest of a look at an unchanged archive, and
// on a first look, one second of a cold disk before any form is read.
class Walk {
public:
    Walk(const Shortcut& shortcut, const std::atomic<bool>* stop, Listing& out)
        : m_shortcut(shortcut), m_stop(stop), m_out(out) {}

    void folder(const FolderListing& here, const QString& prefix) {
        if (m_stop && m_stop->load()) m_out.stopped = true;
        if (m_out.stopped) return;
        std::vector<std::pair<QString, const std::string*>> forms;
        for (const FolderListing::Entry& e : here.entries()) {
            if (e.name.front() == '.' || e.kind == FolderListing::Kind::FolderLink) continue;
            const QString name = fromSystemPath(e.name);
            if (e.kind == FolderListing::Kind::Folder) {
                const FolderListing below(&here, e.name);
                if (below.isOpen()) folder(below, prefix + name + u'/');
                continue;
            }
            // A pipe or a dangling link under a form's name is listed, to be shown unreadable.
            if (FormPath::isForm(name)) forms.emplace_back(prefix + name, &e.name);
        }
        Folder f{prefix.chopped(prefix.isEmpty() ? 0 : 1), here.mtimeNs(), int(forms.size())};
        const bool trusted = m_shortcut.trusts && m_shortcut.trusts(f);
        for (auto& [path, name] : forms) {
            File file{std::move(path)};
            file.stamped = !trusted && m_shortcut.knows && m_shortcut.knows(file.path);
            if (file.stamped) {
                const FolderListing::Stamp s = here.stamp(*name);
                file.size = s.size;
                file.mtime = s.mtimeNs / 1000000;
            }
            m_out.files.push_back(std::move(file));
        }
        m_out.folders.push_back(std::move(f));
    }

private:
    const Shortcut& m_shortcut;
    const std::atomic<bool>* m_stop;
    Listing& m_out;
};

}  // namespace

File stamp(const QFileInfo& info, const QString& path) {
    return {path, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

Listing scan(const QString& root, const Shortcut& shortcut, const std::atomic<bool>* stop) {
    Listing out;
    const FolderListing top(nullptr, systemPath(root));
    if (top.isOpen()) Walk(shortcut, stop, out).folder(top, QString());
    return out;
}

}  // namespace ArchiveScan
