#pragma once

// Command and resource identifiers. The program's own commands start at 32768; the others keep
// the numbers of the classic framework commands, so a command reads the same everywhere.
namespace id {
// Resources
constexpr unsigned IDR_FORMTYPE_INPLACE = 6;
constexpr unsigned IDD_ABOUTBOX = 100;
constexpr unsigned IDR_MAINFRAME = 128;
constexpr unsigned IDR_FORMTYPE = 129;
constexpr unsigned IDD_PROGRESS_BAR = 131;
constexpr unsigned IDD_SETTINGS = 132;
constexpr unsigned IDC_PROGRESS = 1000;
constexpr unsigned IDC_BYTE_COUNT = 1001;
constexpr unsigned IDC_PORT = 1000;
constexpr unsigned IDC_DEVICE = 1001;
constexpr unsigned IDC_RATE = 1008;

// The program's own commands
constexpr unsigned ID_ESCAPE_NOTHING = 32768;  // Esc: carried by the accelerators, handled nowhere
constexpr unsigned ID_CONNECT = 32771;
constexpr unsigned ID_CONNECT_PROMPT_ONLY = 32772;
constexpr unsigned ID_STOP_RECEIVE = 32774;
constexpr unsigned ID_PORT_PROMPT_ONLY = 32775;
constexpr unsigned ID_PORT_COM1 = 32776;
constexpr unsigned ID_PORT_COM2 = 32777;
constexpr unsigned ID_DEVICE_KSM_ZH = 32779;
constexpr unsigned ID_DEVICE_KSM_R = 32780;
constexpr unsigned ID_DEVICE_KSM_N = 32781;
constexpr unsigned ID_DEVICE_KSM_S = 32783;
constexpr unsigned ID_DEVICE_KSM = 32784;
// Added after the classic set: the serial devices and their COM numbers.
constexpr unsigned ID_PORTS = 32790;
constexpr unsigned ID_ARCHIVE_SETTINGS = 32800;     // the dialog "Архив"
constexpr unsigned ID_ARCHIVE_OPEN_FOLDER = 32801;  // the archive's folder in the file manager
// Sites and the archive's forms.
constexpr unsigned ID_ARCHIVE_BROWSE = 32802;  // the window "Архив форм"
constexpr unsigned ID_SITES = 32803;           // the site book, "Объекты"
constexpr unsigned ID_MONTH_ROUND = 32804;     // the window "Сбор за месяц"
constexpr unsigned ID_SITE_CONNECT = 32805;    // an exchange with a site of the book

// Standard commands
constexpr unsigned ID_FILE_NEW = 57600;
constexpr unsigned ID_FILE_OPEN = 57601;
constexpr unsigned ID_FILE_CLOSE = 57602;
constexpr unsigned ID_FILE_SAVE = 57603;
constexpr unsigned ID_FILE_SAVE_AS = 57604;
constexpr unsigned ID_FILE_PAGE_SETUP = 57605;
constexpr unsigned ID_FILE_PRINT_SETUP = 57606;
constexpr unsigned ID_FILE_PRINT = 57607;
constexpr unsigned ID_FILE_PRINT_DIRECT = 57608;
constexpr unsigned ID_FILE_PRINT_PREVIEW = 57609;
constexpr unsigned ID_FILE_MRU_FILE1 = 57616;
constexpr unsigned ID_FILE_MRU_FILE16 = 57631;
constexpr unsigned ID_EDIT_CLEAR = 57632;
constexpr unsigned ID_EDIT_CLEAR_ALL = 57633;
constexpr unsigned ID_EDIT_COPY = 57634;
constexpr unsigned ID_EDIT_CUT = 57635;
constexpr unsigned ID_EDIT_FIND = 57636;
constexpr unsigned ID_EDIT_PASTE = 57637;
constexpr unsigned ID_EDIT_PASTE_LINK = 57638;
constexpr unsigned ID_EDIT_PASTE_SPECIAL = 57639;
constexpr unsigned ID_EDIT_REPEAT = 57640;
constexpr unsigned ID_EDIT_REPLACE = 57641;
constexpr unsigned ID_EDIT_SELECT_ALL = 57642;
constexpr unsigned ID_EDIT_UNDO = 57643;
constexpr unsigned ID_EDIT_REDO = 57644;
constexpr unsigned ID_WINDOW_NEW = 57648;
constexpr unsigned ID_WINDOW_ARRANGE = 57649;
constexpr unsigned ID_WINDOW_CASCADE = 57650;
constexpr unsigned ID_WINDOW_TILE_HORZ = 57651;
constexpr unsigned ID_WINDOW_SPLIT = 57653;
constexpr unsigned ID_APP_ABOUT = 57664;
constexpr unsigned ID_APP_EXIT = 57665;
constexpr unsigned ID_HELP = 57670;
constexpr unsigned ID_NEXT_PANE = 57680;
constexpr unsigned ID_PREV_PANE = 57681;
constexpr unsigned ID_OLE_INSERT_NEW = 57856;
constexpr unsigned ID_OLE_EDIT_LINKS = 57857;
constexpr unsigned ID_OLE_EDIT_CONVERT = 57858;
constexpr unsigned ID_OLE_EDIT_PROPERTIES = 57860;
constexpr unsigned ID_OLE_VERB_FIRST = 57872;
constexpr unsigned ID_VIEW_TOOLBAR = 59392;
constexpr unsigned ID_VIEW_STATUS_BAR = 59393;
constexpr unsigned ID_SEPARATOR = 0;
constexpr unsigned ID_INDICATOR_EXT = 59136;
constexpr unsigned ID_INDICATOR_CAPS = 59137;
constexpr unsigned ID_INDICATOR_NUM = 59138;
constexpr unsigned ID_INDICATOR_SCRL = 59139;
constexpr unsigned ID_INDICATOR_OVR = 59140;
constexpr unsigned ID_INDICATOR_REC = 59141;
}  // namespace id
