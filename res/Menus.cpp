#include "res/Menus.h"

#include <algorithm>

namespace res {
namespace {

using namespace id;

constexpr MenuItem Separator{nullptr, 0, MF_NONE, {}};

constexpr MenuItem Item(const char* text, unsigned command, unsigned flags = MF_NONE) {
    return {text, command, flags, {}};
}

constexpr MenuItem Popup(const char* text, std::span<const MenuItem> children) {
    return {text, 0, MF_NONE, children};
}

// Menu shown while no form window is open.
constexpr MenuItem kMainFile[] = {
    Item("&Создать\tCtrl+N", ID_FILE_NEW),
    Item("&Открыть...\tCtrl+O", ID_FILE_OPEN),
    Separator,
    Item("&Установка принтера...", ID_FILE_PRINT_SETUP),
    Separator,
    Item("&Выход", ID_APP_EXIT),
};
constexpr MenuItem kView[] = {
    Item("&Панель инструментов", ID_VIEW_TOOLBAR),
    Item("&Строка состояния", ID_VIEW_STATUS_BAR),
    Separator,
    Item("&Архив…", ID_ARCHIVE_SETTINGS),
    Item("&Открыть папку архива", ID_ARCHIVE_OPEN_FOLDER),
    // Letters free both in this popup and in either menu bar.
    Item("Архив фор&м", ID_ARCHIVE_BROWSE),
    Item("Объ&екты…", ID_SITES),
    Item("Сбор &за месяц", ID_MONTH_ROUND),
};
constexpr MenuItem kPort[] = {
    Item("&COM1", ID_PORT_COM1, MF_CHECKED),
    Item("C&OM2", ID_PORT_COM2),
};
constexpr MenuItem kDevice[] = {
    Item("КСМ-&Ж", ID_DEVICE_KSM_ZH, MF_CHECKED),
    Item("КСМ-&Р", ID_DEVICE_KSM_R),
    Item("КСМ-&Н", ID_DEVICE_KSM_N),
    Item("КСМ-&С", ID_DEVICE_KSM_S),
    Item("&КСМ", ID_DEVICE_KSM),
};
constexpr MenuItem kSettings[] = {
    Popup("&Порт", kPort),
    Popup("&Тип вычислителя", kDevice),
    Separator,
    Item("По&рты…", ID_PORTS),
};
constexpr MenuItem kHelp[] = {
    Item("&Справка", ID_HELP),
    Item("&О программе...", ID_APP_ABOUT),
};
constexpr MenuItem kMainFrame[] = {
    Popup("&Файл", kMainFile),
    Popup("&Вид", kView),
    Popup("Настройки", kSettings),
    Popup("&Помощь", kHelp),
};

// Menu shown while a form window is active.
constexpr MenuItem kFormFile[] = {
    Item("&Создать\tCtrl+N", ID_FILE_NEW),
    Item("&Открыть..\tCtrl+O", ID_FILE_OPEN),
    Item("&Закрыть", ID_FILE_CLOSE),
    Item("Со&хранить\tCtrl+S", ID_FILE_SAVE),
    Item("Сохранить &Как...", ID_FILE_SAVE_AS),
    Separator,
    Item("&Установить связь", ID_CONNECT),
    Item("Ос&тановить прием данных", ID_STOP_RECEIVE),
    Separator,
    Item("&Печать...\tCtrl+P", ID_FILE_PRINT),
    Item("Предварительный п&росмотр", ID_FILE_PRINT_PREVIEW),
    Item("&Установка принтера...", ID_FILE_PRINT_SETUP),
    Separator,
    Item("&Выход", ID_APP_EXIT),
    Separator,
    // "р" belongs to "Предварительный п&росмотр" here; "ы" is free in this popup.
    Item("Порт&ы…", ID_PORTS),
    Item("Связь с о&бъектом…", ID_SITE_CONNECT),
};
constexpr MenuItem kEdit[] = {
    Item("&Отменить\tCtrl+Z", ID_EDIT_UNDO),  Separator,
    Item("&Удалить\tCtrl+X", ID_EDIT_CUT),    Item("&Копировать\tCtrl+C", ID_EDIT_COPY),
    Item("&Вставить\tCtrl+V", ID_EDIT_PASTE),
};
constexpr MenuItem kWindow[] = {
    Item("&Новое окно", ID_WINDOW_NEW),
    Item("&Каскад", ID_WINDOW_CASCADE),
    Item("&Упорядочить значки", ID_WINDOW_ARRANGE),
};
constexpr MenuItem kFormType[] = {
    Popup("&Файл", kFormFile), Popup("&Редактировать", kEdit), Popup("&Вид", kView),
    Popup("&Окно", kWindow),   Popup("&Помощь", kHelp),
};

// The seven "Настройки" commands: port and type are chosen in the settings dialog only.
constexpr unsigned kUnhandled[] = {
    ID_PORT_COM1,    ID_PORT_COM2,    ID_DEVICE_KSM_ZH, ID_DEVICE_KSM_R,
    ID_DEVICE_KSM_N, ID_DEVICE_KSM_S, ID_DEVICE_KSM,
};

}  // namespace

std::span<const MenuItem> MenuResource(unsigned menuId) {
    switch (menuId) {
        case IDR_MAINFRAME:
            return kMainFrame;
        case IDR_FORMTYPE:
            return kFormType;
        default:
            return {};
    }
}

std::span<const unsigned> UnhandledCommands() {
    return kUnhandled;
}

bool IsUnhandledCommand(unsigned command) {
    return std::find(std::begin(kUnhandled), std::end(kUnhandled), command) != std::end(kUnhandled);
}

}  // namespace res
