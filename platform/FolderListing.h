#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One folder's names with what they are, read in one pass of the directory and without looking
// at each file, and each file looked at on demand relative to the open folder: a walk of an
// archive of 100,000 forms that wants the names of all and the times of a few.
class FolderListing {
public:
    enum class Kind { File, Folder, FolderLink, Other };
    struct Entry {
        std::string name;
        Kind kind;
    };
    struct Stamp {
        bool ok = false;
        std::int64_t size = 0;
        std::int64_t mtimeNs = 0;  // since the epoch
    };

    // A name in `parent`, never through a link; with `parent` null, a path as given.
    FolderListing(const FolderListing* parent, const std::string& path);
    ~FolderListing();
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    bool isOpen() const { return m_open; }
    // The folder's own modification time: it changes when a name is added, removed or renamed.
    std::int64_t mtimeNs() const { return m_mtimeNs; }
    const std::vector<Entry>& entries() const { return m_entries; }
    // A name of the folder, a link followed; a dangling link gives the link's own stamp.
    Stamp stamp(const std::string& name) const;

private:
#ifdef _WIN32
    std::wstring m_path;  // Windows has no opening relative to a folder: its full name
#else
    int m_fd = -1;
#endif
    bool m_open = false;
    std::int64_t m_mtimeNs = 0;
    std::vector<Entry> m_entries;
};
