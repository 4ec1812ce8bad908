#pragma once

#include <QString>
#include <span>

#include "res/CommandIds.h"

// Identifiers of entries that are texts only (no command carries them).
namespace id {
constexpr unsigned AFX_IDS_APP_TITLE = 57344;
constexpr unsigned AFX_IDS_IDLEMESSAGE = 57345;

constexpr unsigned AFX_IDS_SCSIZE = 61184;
constexpr unsigned AFX_IDS_SCMOVE = 61185;
constexpr unsigned AFX_IDS_SCMINIMIZE = 61186;
constexpr unsigned AFX_IDS_SCMAXIMIZE = 61187;
constexpr unsigned AFX_IDS_SCNEXTWINDOW = 61188;
constexpr unsigned AFX_IDS_SCPREVWINDOW = 61189;
constexpr unsigned AFX_IDS_SCCLOSE = 61190;
constexpr unsigned AFX_IDS_SCRESTORE = 61202;
constexpr unsigned AFX_IDS_SCTASKLIST = 61203;
constexpr unsigned AFX_IDS_MDICHILD = 61215;

constexpr unsigned AFX_IDS_OPENFILE = 61440;
constexpr unsigned AFX_IDS_SAVEFILE = 61441;
constexpr unsigned AFX_IDS_ALLFILTER = 61442;
constexpr unsigned AFX_IDS_UNTITLED = 61443;
constexpr unsigned AFX_IDS_PREVIEW_CLOSE = 61445;
constexpr unsigned AFX_IDS_UNNAMED_FILE = 61446;

constexpr unsigned AFX_IDS_PRINTONPORT = 61504;
constexpr unsigned AFX_IDS_ONEPAGE = 61505;
constexpr unsigned AFX_IDS_TWOPAGE = 61506;
constexpr unsigned AFX_IDS_PRINTPAGENUM = 61507;
constexpr unsigned AFX_IDS_PREVIEWPAGEDESC = 61508;
constexpr unsigned AFX_IDS_PRINTDEFAULTEXT = 61509;
constexpr unsigned AFX_IDS_PRINTDEFAULT = 61510;
constexpr unsigned AFX_IDS_PRINTFILTER = 61511;
constexpr unsigned AFX_IDS_PRINTCAPTION = 61512;
constexpr unsigned AFX_IDS_PRINTTOFILE = 61513;

constexpr unsigned AFX_IDP_INVALID_FILENAME = 61696;
constexpr unsigned AFX_IDP_FAILED_TO_OPEN_DOC = 61697;
constexpr unsigned AFX_IDP_FAILED_TO_SAVE_DOC = 61698;
constexpr unsigned AFX_IDP_ASK_TO_SAVE = 61699;
constexpr unsigned AFX_IDP_FAILED_TO_CREATE_DOC = 61700;
constexpr unsigned AFX_IDP_FILE_TOO_LARGE = 61701;
constexpr unsigned AFX_IDP_FAILED_TO_START_PRINT = 61702;
constexpr unsigned AFX_IDP_FAILED_TO_LAUNCH_HELP = 61703;
constexpr unsigned AFX_IDP_INTERNAL_FAILURE = 61704;
constexpr unsigned AFX_IDP_COMMAND_FAILURE = 61705;
constexpr unsigned AFX_IDP_FAILED_MEMORY_ALLOC = 61706;
constexpr unsigned AFX_IDP_FAILED_INVALID_FORMAT = 61728;
constexpr unsigned AFX_IDP_FAILED_INVALID_PATH = 61729;
constexpr unsigned AFX_IDP_FAILED_DISK_FULL = 61730;
constexpr unsigned AFX_IDP_FAILED_ACCESS_READ = 61731;
constexpr unsigned AFX_IDP_FAILED_ACCESS_WRITE = 61732;
constexpr unsigned AFX_IDP_FAILED_IO_ERROR_READ = 61733;
constexpr unsigned AFX_IDP_FAILED_IO_ERROR_WRITE = 61734;

constexpr unsigned AFX_IDP_FILE_NONE = 61856;
constexpr unsigned AFX_IDP_FILE_GENERIC = 61857;
constexpr unsigned AFX_IDP_FILE_NOT_FOUND = 61858;
constexpr unsigned AFX_IDP_FILE_BAD_PATH = 61859;
constexpr unsigned AFX_IDP_FILE_TOO_MANY_OPEN = 61860;
constexpr unsigned AFX_IDP_FILE_ACCESS_DENIED = 61861;
constexpr unsigned AFX_IDP_FILE_INVALID_FILE = 61862;
constexpr unsigned AFX_IDP_FILE_REMOVE_CURRENT = 61863;
constexpr unsigned AFX_IDP_FILE_DIR_FULL = 61864;
constexpr unsigned AFX_IDP_FILE_BAD_SEEK = 61865;
constexpr unsigned AFX_IDP_FILE_HARD_IO = 61866;
constexpr unsigned AFX_IDP_FILE_SHARING = 61867;
constexpr unsigned AFX_IDP_FILE_LOCKING = 61868;
constexpr unsigned AFX_IDP_FILE_DISKFULL = 61869;
constexpr unsigned AFX_IDP_FILE_EOF = 61870;

constexpr unsigned AFX_IDP_ARCH_NONE = 61872;
constexpr unsigned AFX_IDP_ARCH_GENERIC = 61873;
constexpr unsigned AFX_IDP_ARCH_READONLY = 61874;
constexpr unsigned AFX_IDP_ARCH_ENDOFFILE = 61875;
constexpr unsigned AFX_IDP_ARCH_WRITEONLY = 61876;
constexpr unsigned AFX_IDP_ARCH_BADINDEX = 61877;
constexpr unsigned AFX_IDP_ARCH_BADCLASS = 61878;
constexpr unsigned AFX_IDP_ARCH_BADSCHEMA = 61879;
}  // namespace id

namespace res {

// One entry of the string table; texts are UTF-8.
struct StringEntry {
    unsigned id;
    const char* text;
};

// The whole table, in ascending id order. Russian and English entries live in one table, so no
// text depends on the language the system runs in.
std::span<const StringEntry> stringTable();

// The entry's text, or an empty string when the table holds none for `id`.
QString loadString(unsigned id);
bool hasString(unsigned id);

// A command string holds the status-bar prompt before "\n" and the tooltip after it.
QString commandPrompt(unsigned id);
QString commandTooltip(unsigned id);

// The fields of the form type's document string (entry 129), in their fixed order.
enum class DocStringIndex {
    windowTitle = 0,
    docName = 1,  // base name of new forms, numbered 1, 2, 3 ...
    fileNewName = 2,
    filterName = 3,
    filterExt = 4,
    regFileTypeId = 5,
    regFileTypeName = 6,
};
QString documentString(DocStringIndex index);

}  // namespace res
