#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FolderListing.h"

namespace {

std::int64_t nanoseconds(const timespec& t) {
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FolderListing::Kind kindOf(int fd, const dirent* e) {
    unsigned char type = e->d_type;
    if (type == DT_UNKNOWN) {  // file systems that do not tell in the directory
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return FolderListing::Kind::Other;
        type = S_ISDIR(st.st_mode)   ? DT_DIR
               : S_ISLNK(st.st_mode) ? DT_LNK
               : S_ISREG(st.st_mode) ? DT_REG
                                     : DT_FIFO;
    }
    if (type == DT_DIR) return FolderListing::Kind::Folder;
    if (type == DT_REG) return FolderListing::Kind::File;
    if (type == DT_LNK) {
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            return FolderListing::Kind::FolderLink;
    }
    return FolderListing::Kind::Other;
}

}  // namespace

FolderListing::FolderListing(const FolderListing* parent, const std::string& path) {
    m_fd = ::openat(parent ? parent->m_fd : AT_FDCWD, path.c_str(),
                    O_RDONLY | O_DIRECTORY | O_CLOEXEC | (parent ? O_NOFOLLOW : 0));
    if (m_fd < 0) return;
    m_open = true;
    struct stat st {};
    if (::fstat(m_fd, &st) == 0) m_mtimeNs = nanoseconds(st.st_mtim);
    // The listing reads through its own descriptor, so that m_fd stays for the stamps.
    const int listFd = ::dup(m_fd);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) {
        if (listFd >= 0) ::close(listFd);
        return;
    }
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name(e->d_name);
        if (name == "." || name == "..") continue;
        m_entries.push_back({std::string(name), kindOf(m_fd, e)});
    }
    ::closedir(dir);
}

FolderListing::~FolderListing() {
    if (m_fd >= 0) ::close(m_fd);
}

FolderListing::Stamp FolderListing::stamp(const std::string& name) const {
    struct stat st {};
    if (::fstatat(m_fd, name.c_str(), &st, 0) != 0 &&
        ::fstatat(m_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    return {true, std::int64_t(st.st_size), nanoseconds(st.st_mtim)};
}
