#include <windows.h>

#include "platform/FileReplace.h"
#include "platform/Win32Text.h"

std::error_code replaceFile(const std::string& from, const std::string& to) {
    if (MoveFileExW(Win32Text::filePath(from).c_str(), Win32Text::filePath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    return {int(GetLastError()), std::system_category()};
}
