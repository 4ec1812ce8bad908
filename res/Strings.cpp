#include "res/Strings.h"

#include <QStringList>
#include <algorithm>
#include <array>

namespace res {
namespace {

using namespace id;

// clang-format off
constexpr StringEntry kStrings[] = {
    {IDR_MAINFRAME, "Tabulon"},
    {IDR_FORMTYPE, "\nБезымянный\nБезымянный\n\n\nTabulon.Document\nБезымянный Document"},
    {ID_CONNECT, "Установить связь с вычислителем\nУстановить связь"},
    {ID_CONNECT_PROMPT_ONLY, "Устанавливает связь с вычислителем\nУстановка связи"},
    {ID_STOP_RECEIVE, "Остановить прием данных от вычислителя\nОстановить прием данных"},
    {ID_PORT_PROMPT_ONLY, "Выбор порта\nПорт"},
    {ID_DEVICE_KSM_ZH, "Выбор вычислителя КСМ-Ж\nКСМ-Ж"},
    {ID_DEVICE_KSM_R, "Выбор вычислителя КСМ-Р\nКСМ-Р"},
    {ID_DEVICE_KSM_N, "Выбор вычислителя КСМ-Н\nКСМ-Н"},
    {ID_DEVICE_KSM_S, "Выбор вычислителя КСМ-С\nКСМ-С"},
    {ID_DEVICE_KSM, "Выбор вычислителя КСМ\nКСМ"},
    {ID_PORTS, "Последовательные порты компьютера и их номера COM\nПорты"},
    {ID_ARCHIVE_SETTINGS,
     "Включить или выключить архив принятых форм, выбрать его папку и имена файлов\nАрхив"},
    {ID_ARCHIVE_OPEN_FOLDER, "Открыть папку архива в файловом менеджере\nПапка архива"},
    {ID_ARCHIVE_BROWSE, "Найти и открыть принятые формы архива\nАрхив форм"},
    {ID_SITES, "Объекты: порт, тип вычислителя и скорость каждого объекта\nОбъекты"},
    {ID_MONTH_ROUND, "Какие объекты собраны за месяц, а какие нет\nСбор за месяц"},
    {ID_SITE_CONNECT, "Установить связь с вычислителем выбранного объекта\nСвязь с объектом"},

    {AFX_IDS_APP_TITLE, "Tabulon"},
    {AFX_IDS_IDLEMESSAGE, "Ready"},

    {ID_FILE_NEW, "Создать новый документ\nСоздать"},
    {ID_FILE_OPEN, "Открыть новый документ\nОткрыть новый документ"},
    {ID_FILE_CLOSE, "Закрыть активный документ\nЗакрыть"},
    {ID_FILE_SAVE, "Сохранить активный документ\nСохранить"},
    {ID_FILE_SAVE_AS, "Сохранить активный документ под новым именем\nСохранить как"},
    {ID_FILE_PAGE_SETUP, "Изменить параметры печати\nПараметры страницы"},
    {ID_FILE_PRINT_SETUP, "Изменить настройки печати и принтера\nУстановка принтера"},
    {ID_FILE_PRINT, "Печатать активный документ\nПечать"},
    {ID_FILE_PRINT_PREVIEW, "просмотреть весь документ\nПредварительный просмотр"},
    {ID_FILE_MRU_FILE1 + 0, "Open this document"},
    {ID_FILE_MRU_FILE1 + 1, "Open this document"},
    {ID_FILE_MRU_FILE1 + 2, "Open this document"},
    {ID_FILE_MRU_FILE1 + 3, "Open this document"},
    {ID_FILE_MRU_FILE1 + 4, "Open this document"},
    {ID_FILE_MRU_FILE1 + 5, "Open this document"},
    {ID_FILE_MRU_FILE1 + 6, "Open this document"},
    {ID_FILE_MRU_FILE1 + 7, "Open this document"},
    {ID_FILE_MRU_FILE1 + 8, "Open this document"},
    {ID_FILE_MRU_FILE1 + 9, "Open this document"},
    {ID_FILE_MRU_FILE1 + 10, "Open this document"},
    {ID_FILE_MRU_FILE1 + 11, "Open this document"},
    {ID_FILE_MRU_FILE1 + 12, "Open this document"},
    {ID_FILE_MRU_FILE1 + 13, "Open this document"},
    {ID_FILE_MRU_FILE1 + 14, "Open this document"},
    {ID_FILE_MRU_FILE16, "Open this document"},
    {ID_EDIT_CLEAR, "Erase the selection\nErase"},
    {ID_EDIT_CLEAR_ALL, "Erase everything\nErase All"},
    {ID_EDIT_COPY, "Копировать выделенную область в буфер\nКопировать"},
    {ID_EDIT_CUT, "Удалить выделенную облать в буфер\nУдалить"},
    {ID_EDIT_FIND, "Find the specified text\nFind"},
    {ID_EDIT_PASTE, "Вставить из буфера\nВставить"},
    {ID_EDIT_PASTE_LINK, "Insert Clipboard contents and a link to its source\nPaste Link"},
    {ID_EDIT_PASTE_SPECIAL, "Insert Clipboard contents with options\nPaste Special"},
    {ID_EDIT_REPEAT, "Repeat the last action\nRepeat"},
    {ID_EDIT_REPLACE, "Replace specific text with different text\nReplace"},
    {ID_EDIT_SELECT_ALL, "Select the entire document\nSelect All"},
    {ID_EDIT_UNDO, "Отменить последнее действие\nОтменить"},
    {ID_EDIT_REDO, "Redo the previously undone action\nRedo"},
    {ID_WINDOW_NEW, "Открыть еще одно окно для активного документа\nНовое окно"},
    {ID_WINDOW_ARRANGE, "Упорядочить значки внизу окна\nУпорядочить значки"},
    {ID_WINDOW_CASCADE, "\nКаскад"},
    {ID_WINDOW_TILE_HORZ, "Arrange windows as non-overlapping tiles\nTile Windows"},
    {ID_WINDOW_SPLIT, "Split the active window into panes\nSplit"},
    {ID_APP_ABOUT, "Вывод информации о программе\nО программе..."},
    {ID_APP_EXIT, "Закрыть приеложение; сохранить документы\nВыход"},
    {ID_HELP, "Справка по программе\nСправка"},
    {ID_NEXT_PANE, "Switch to the next window pane\nNext Pane"},
    {ID_PREV_PANE, "Switch back to the previous window pane\nPrevious Pane"},
    {ID_OLE_INSERT_NEW, "Insert new embedded object\nNew Object"},
    {ID_OLE_EDIT_LINKS, "Edit linked objects\nEdit Links"},
    {ID_OLE_EDIT_CONVERT, "Convert object to different type\nConvert Object"},
    {ID_OLE_VERB_FIRST, "Activates embedded or linked object"},

    {ID_INDICATOR_EXT, "EXT"},
    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},
    {ID_INDICATOR_OVR, "OVR"},
    {ID_INDICATOR_REC, "REC"},
    {ID_VIEW_TOOLBAR, "Показать или спрятать панель инструментов\nПанель инструментов"},
    {ID_VIEW_STATUS_BAR, "Показать или спрятать строку состояния\nСтрока состояния"},

    {AFX_IDS_SCSIZE, "Change the window size"},
    {AFX_IDS_SCMOVE, "Change the window position"},
    {AFX_IDS_SCMINIMIZE, "Reduce the window to an icon"},
    {AFX_IDS_SCMAXIMIZE, "Enlarge the window to full size"},
    {AFX_IDS_SCNEXTWINDOW, "Switch to the next document window"},
    {AFX_IDS_SCPREVWINDOW, "Switch to the previous document window"},
    {AFX_IDS_SCCLOSE, "Close the active window and prompts to save the documents"},
    {AFX_IDS_SCRESTORE, "Restore the window to normal size"},
    {AFX_IDS_SCTASKLIST, "Activate Task List"},
    {AFX_IDS_MDICHILD, "Activate this window"},

    {AFX_IDS_OPENFILE, "Open"},
    {AFX_IDS_SAVEFILE, "Save As"},
    {AFX_IDS_ALLFILTER, "All Files (*.*)"},
    {AFX_IDS_UNTITLED, "Untitled"},
    {AFX_IDS_PREVIEW_CLOSE, "Close print preview mode\nCancel Preview"},
    {AFX_IDS_UNNAMED_FILE, "an unnamed file"},

    {AFX_IDS_PRINTONPORT, "on %1"},
    {AFX_IDS_ONEPAGE, "&One Page"},
    {AFX_IDS_TWOPAGE, "&Two Page"},
    {AFX_IDS_PRINTPAGENUM, "Page %u"},
    {AFX_IDS_PREVIEWPAGEDESC, "Page %u\nPages %u-%u\n"},
    {AFX_IDS_PRINTDEFAULTEXT, "prn"},
    {AFX_IDS_PRINTDEFAULT, "Output.prn"},
    {AFX_IDS_PRINTFILTER, "Printer Files (*.prn)|*.prn|All Files (*.*)|*.*||"},
    {AFX_IDS_PRINTCAPTION, "Print to File"},
    {AFX_IDS_PRINTTOFILE, "to %1"},

    {AFX_IDP_INVALID_FILENAME, "Invalid filename."},
    {AFX_IDP_FAILED_TO_OPEN_DOC, "Failed to open document."},
    {AFX_IDP_FAILED_TO_SAVE_DOC, "Failed to save document."},
    {AFX_IDP_ASK_TO_SAVE, "Save changes to %1?"},
    {AFX_IDP_FAILED_TO_CREATE_DOC, "Failed to create empty document."},
    {AFX_IDP_FILE_TOO_LARGE, "The file is too large to open."},
    {AFX_IDP_FAILED_TO_START_PRINT, "Could not start print job."},
    {AFX_IDP_FAILED_TO_LAUNCH_HELP, "Failed to launch help."},
    {AFX_IDP_INTERNAL_FAILURE, "Internal application error."},
    {AFX_IDP_COMMAND_FAILURE, "Command failed."},
    {AFX_IDP_FAILED_MEMORY_ALLOC, "Insufficient memory to perform operation."},
    {AFX_IDP_FAILED_INVALID_FORMAT, "Unexpected file format."},
    {AFX_IDP_FAILED_INVALID_PATH,
     "%1\nCannot find this file.\nPlease verify that the correct path and file name are given."},
    {AFX_IDP_FAILED_DISK_FULL, "Destination disk drive is full."},
    {AFX_IDP_FAILED_ACCESS_READ, "Unable to read from %1, it is opened by someone else."},
    {AFX_IDP_FAILED_ACCESS_WRITE, "Unable to write to %1, it is read-only or opened by someone else."},
    {AFX_IDP_FAILED_IO_ERROR_READ, "An unexpected error occurred while reading %1."},
    {AFX_IDP_FAILED_IO_ERROR_WRITE, "An unexpected error occurred while writing %1."},

    {AFX_IDP_FILE_NONE, "No error occurred."},
    {AFX_IDP_FILE_GENERIC, "An unknown error occurred while accessing %1."},
    {AFX_IDP_FILE_NOT_FOUND, "%1 was not found."},
    {AFX_IDP_FILE_BAD_PATH, "%1 contains an invalid path."},
    {AFX_IDP_FILE_TOO_MANY_OPEN, "%1 could not be opened because there are too many open files."},
    {AFX_IDP_FILE_ACCESS_DENIED, "Access to %1 was denied."},
    {AFX_IDP_FILE_INVALID_FILE, "An invalid file handle was associated with %1."},
    {AFX_IDP_FILE_REMOVE_CURRENT, "%1 could not be removed because it is the current directory."},
    {AFX_IDP_FILE_DIR_FULL, "%1 could not be created because the directory is full."},
    {AFX_IDP_FILE_BAD_SEEK, "Seek failed on %1"},
    {AFX_IDP_FILE_HARD_IO, "A hardware I/O error was reported while accessing %1."},
    {AFX_IDP_FILE_SHARING, "A sharing violation occurred while accessing %1."},
    {AFX_IDP_FILE_LOCKING, "A locking violation occurred while accessing %1."},
    {AFX_IDP_FILE_DISKFULL, "Disk full while accessing %1."},
    {AFX_IDP_FILE_EOF, "An attempt was made to access %1 past its end."},

    {AFX_IDP_ARCH_NONE, "No error occurred."},
    {AFX_IDP_ARCH_GENERIC, "An unknown error occurred while accessing %1."},
    {AFX_IDP_ARCH_READONLY, "An attempt was made to write to the reading %1."},
    {AFX_IDP_ARCH_ENDOFFILE, "An attempt was made to access %1 past its end."},
    {AFX_IDP_ARCH_WRITEONLY, "An attempt was made to read from the writing %1."},
    {AFX_IDP_ARCH_BADINDEX, "%1 has a bad format."},
    {AFX_IDP_ARCH_BADCLASS, "%1 contained an unexpected object."},
    {AFX_IDP_ARCH_BADSCHEMA, "%1 contains an incorrect schema."},
};
// clang-format on

// Lookups search by id, so the order is part of the table's contract.
static_assert(std::is_sorted(std::begin(kStrings), std::end(kStrings),
                             [](const StringEntry& a, const StringEntry& b) {
                                 return a.id < b.id;
                             }));
static_assert(std::adjacent_find(std::begin(kStrings), std::end(kStrings),
                                 [](const StringEntry& a, const StringEntry& b) {
                                     return a.id == b.id;
                                 }) == std::end(kStrings));

const StringEntry* find(unsigned id) {
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const StringEntry& e, unsigned key) { return e.id < key; });
    return it != std::end(kStrings) && it->id == id ? it : nullptr;
}

QString field(const QString& text, qsizetype index) {
    const QStringList fields = text.split(u'\n');
    return index < fields.size() ? fields[index] : QString();
}

}  // namespace

std::span<const StringEntry> stringTable() {
    return kStrings;
}

QString loadString(unsigned id) {
    const StringEntry* e = find(id);
    return e ? QString::fromUtf8(e->text) : QString();
}

bool hasString(unsigned id) {
    return find(id) != nullptr;
}

QString commandPrompt(unsigned id) {
    return field(loadString(id), 0);
}

QString commandTooltip(unsigned id) {
    return field(loadString(id), 1);
}

QString documentString(DocStringIndex index) {
    return field(loadString(id::IDR_FORMTYPE), static_cast<qsizetype>(index));
}

}  // namespace res
