#include <windows.h>
#include <aclapi.h>

#include "platform/OwnFile.h"
#include "platform/Win32Text.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A file of its own on a disk: no folder, no link, no device or pipe.
bool isPlainFile(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) {
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

OwnFile::Id idOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber,
            (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// The user this process runs as; the group check below does not cover it everywhere (Wine).
bool isThisUser(PSID sid) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    alignas(TOKEN_USER) unsigned char buffer[256];
    DWORD size = 0;
    const bool same = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
                      EqualSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, sid);
    CloseHandle(token);
    return same;
}

// Whether the file's owner is this process's user, or a group of it that owns what it makes
// (an administrator's files belong to Administrators). A system that keeps no owners (FAT)
// leaves the folder's access list to decide who may write there.
bool ownedByThisUser(HANDLE h) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) != ERROR_SUCCESS)
        return true;
    BOOL member = FALSE;
    const bool own = owner && (isThisUser(owner) ||
                               (CheckTokenMembership(nullptr, owner, &member) && member));
    LocalFree(descriptor);
    return own;
}

}  // namespace

OwnFile::OwnFile(const std::string& path) {
    // The "\\?\" form of the name never opens a device; the link itself is opened, never its
    // target, and refused below.
    const HANDLE h = CreateFileW(Win32Text::filePath(path).c_str(), GENERIC_READ | READ_CONTROL,
                                 kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                 nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!isPlainFile(h, info) || !ownedByThisUser(h)) {
        CloseHandle(h);
        return;
    }
    m_handle = h;
    m_open = true;
    m_size = (std::int64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    m_modifiedMs =
        Win32Text::epochMsOf(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    m_links = info.nNumberOfLinks;
    m_id = idOf(info);
}

OwnFile::~OwnFile() {
    if (m_open) CloseHandle(m_handle);
}

std::string OwnFile::head(std::int64_t max) const {
    std::string bytes(static_cast<std::size_t>(max > 0 ? max : 0), '\0');
    std::size_t got = 0;
    while (m_open && got < bytes.size()) {
        // Read at an offset, as pread() does: the handle's own position is nobody's business.
        OVERLAPPED at{};
        at.Offset = DWORD(got);
        at.OffsetHigh = DWORD(std::uint64_t(got) >> 32);
        DWORD n = 0;
        if (!ReadFile(m_handle, bytes.data() + got, DWORD(bytes.size() - got), &n, &at) || n == 0)
            break;
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

bool OwnFile::isAt(const std::string& path) const {
    if (!m_open) return false;
    const HANDLE h = CreateFileW(Win32Text::filePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                 kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                 nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool same = isPlainFile(h, info) && idOf(info) == m_id;
    CloseHandle(h);
    return same;
}
