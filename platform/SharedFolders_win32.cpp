#include <filesystem>
#include <system_error>

#include "platform/SharedFolders.h"
#include "platform/Win32Text.h"

// A folder on Windows inherits the access list of the folder it is made in: the writers an
// archive folder lets in may write in every folder made below it, with nothing to set up.
bool makeSharedFolders(const std::string& path) {
    const std::filesystem::path wanted(Win32Text::wide(path));
    std::error_code error;
    std::filesystem::create_directories(wanted, error);
    return std::filesystem::is_directory(wanted, error);
}
