#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/ProcessAlive.h"
#include "platform/SharedFolders.h"

namespace {

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The group of the folder it was made in, which the group may write to, and the group's write
// and set-group-id: the files and folders made in it later, by anyone, keep the group. Only a
// member of the group may give a folder to it; elsewhere the folder stays its maker's.
void shareLike(const std::string& made, const struct stat& parent) {
    struct stat own {};
    if (::stat(made.c_str(), &own) != 0) return;
    if (own.st_gid != parent.st_gid && ::chown(made.c_str(), uid_t(-1), parent.st_gid) != 0) return;
    ::chmod(made.c_str(), (own.st_mode & 07777) | S_IRWXG | S_ISGID);
}

bool makePlain(const std::string& path, const struct stat* shared) {
    if (::mkdir(path.c_str(), 0777) != 0) return errno == EEXIST && isFolder(path);
    if (shared) shareLike(path, *shared);
    return true;
}

// Made under a hidden name, set up, and only then given its own: a writer of the group that
// finds the folder may always write in it. Where the file system cannot rename without
// replacing, the folder is made in place and set up at once.
bool makeShared(const std::string& path, const std::string& parentPath, const struct stat& parent) {
    static std::atomic<unsigned> counter{0};
    const std::string temp = parentPath + "/.tabulon-folder-" + std::to_string(currentProcessId()) +
                             '-' + std::to_string(++counter);
    if (::mkdir(temp.c_str(), 0777) != 0) return makePlain(path, &parent);
    shareLike(temp, parent);
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    const int error = errno;
    ::rmdir(temp.c_str());
    if (error == EEXIST) return isFolder(path);
    if (error == EINVAL || error == ENOSYS || error == ENOTSUP) return makePlain(path, &parent);
    errno = error;
    return false;
}

bool makeOne(const std::string& path) {
    std::string parentPath = std::filesystem::path(path).parent_path().string();
    if (parentPath.empty()) parentPath = ".";
    struct stat parent {};
    if (::stat(parentPath.c_str(), &parent) != 0) return false;
    if (!(parent.st_mode & S_IWGRP)) return makePlain(path, nullptr);
    return makeShared(path, parentPath, parent);
}

}  // namespace

bool makeSharedFolders(const std::string& path) {
    std::filesystem::path wanted = std::filesystem::path(path).lexically_normal();
    if (!wanted.has_filename()) wanted = wanted.parent_path();  // "a/b/" is "a/b"
    // The missing folders, the deepest first.
    std::vector<std::string> missing;
    for (std::filesystem::path p = wanted; !p.empty() && !isFolder(p.string());
         p = p.parent_path()) {
        missing.push_back(p.string());
        if (p == p.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        if (!makeOne(*it)) return false;
    return true;
}
