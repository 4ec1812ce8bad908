#include <windows.h>

#include "platform/FolderListing.h"
#include "platform/Win32Text.h"

namespace {

std::int64_t nanosecondsOf(const FILETIME& t) {
    const long long ticks = (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return (ticks - 116444736000000000LL) * 100;
}

FolderListing::Kind kindOf(DWORD attributes) {
    const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    // A junction or a symbolic link: to a folder it may be followed on demand, to a file never.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return folder ? FolderListing::Kind::FolderLink : FolderListing::Kind::Other;
    return folder ? FolderListing::Kind::Folder : FolderListing::Kind::File;
}

bool attributesOf(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != 0;
}

}  // namespace

FolderListing::FolderListing(const FolderListing* parent, const std::string& path) {
    m_path = parent ? parent->m_path + L'\\' + Win32Text::wide(path) : Win32Text::filePath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!attributesOf(m_path, data) || !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    // A name within a folder is never followed through a link.
    if (parent && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
    m_open = true;
    m_mtimeNs = nanosecondsOf(data.ftLastWriteTime);
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileExW((m_path + L"\\*").c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring_view name(found.cFileName);
        if (name == L"." || name == L"..") continue;
        m_entries.push_back({Win32Text::utf8(name), kindOf(found.dwFileAttributes)});
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

FolderListing::~FolderListing() = default;

FolderListing::Stamp FolderListing::stamp(const std::string& name) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!m_open || !attributesOf(m_path + L'\\' + Win32Text::wide(name), data)) return {};
    const std::int64_t size = (std::int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return {true, size, nanosecondsOf(data.ftLastWriteTime)};
}
