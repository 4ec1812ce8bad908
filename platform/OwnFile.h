#pragma once

#include <cstdint>
#include <string>

// A file opened for reading only when it is a regular file of the user this process runs as,
// never through a link and without waiting: what an archive may take for a file it wrote
// itself, though anyone who may write the folder can plant names there. Everything it tells is
// of the opened file, never of what the path names before or after.
class OwnFile {
public:
    struct Id {
        std::uint64_t device = 0, inode = 0;
        bool operator==(const Id&) const = default;
    };

    explicit OwnFile(const std::string& path);
    ~OwnFile();
    OwnFile(const OwnFile&) = delete;
    OwnFile& operator=(const OwnFile&) = delete;

    // False for a link, a folder, a device, a pipe, another user's file, or a path not there.
    bool isOpen() const { return m_open; }
    std::int64_t size() const { return m_size; }
    std::int64_t modifiedMs() const { return m_modifiedMs; }  // since the epoch
    std::uint64_t links() const { return m_links; }           // the names it has
    Id id() const { return m_id; }

    // Up to `max` bytes from its start.
    std::string head(std::int64_t max) const;
    // Whether `path` names this very file now, a link at `path` not followed.
    bool isAt(const std::string& path) const;

private:
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    bool m_open = false;
    std::int64_t m_size = 0;
    std::int64_t m_modifiedMs = 0;
    std::uint64_t m_links = 0;
    Id m_id;
};
