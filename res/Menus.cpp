#include "res/Menus.h"

#include <algorithm>

namespace res {
namespace {

using namespace id;

constexpr MenuItem Separator{nullptr, 0, MF_NONE, {}};

constexpr MenuItem item(const char* text, unsigned command, unsigned flags = MF_NONE) {
    return {text, command, flags, {}};
}

constexpr MenuItem popup(const char* text, std::span<const MenuItem> children) {
    return {text, 0, MF_NONE, children};
}

// Menu shown while no form window is open.
constexpr MenuItem kMainFile[] = {
    item("&Создать\tCtrl+N", ID_FILE_NEW),
    item("&Открыть...\tCtrl+O", ID_FILE_OPEN),
    Separator,
    item("&Установка принтера...", ID_FILE_PRINT_SETUP),
    Separator,
    item("&Выход", ID_APP_EXIT),
};
constexpr MenuItem kView[] = {
    item("&Панель инструментов", ID_VIEW_TOOLBAR),
    item("&Строка состояния", ID_VIEW_STATUS_BAR),
    Separator,
    item("&Архив…", ID_ARCHIVE_SETTINGS),
    item("&Открыть папку архива", ID_ARCHIVE_OPEN_FOLDER),
    // Letters free both in this popup and in either menu bar.
    item("Архив фор&м", ID_ARCHIVE_BROWSE),
    item("Объ&екты…", ID_SITES),
    item("Сбор &за месяц", ID_MONTH_ROUND),
};
constexpr MenuItem kPort[] = {
    item("&COM1", ID_PORT_COM1, MF_CHECKED),
    item("C&OM2", ID_PORT_COM2),
};
constexpr MenuItem kDevice[] = {
    item("КСМ-&Ж", ID_DEVICE_KSM_ZH, MF_CHECKED),
    item("КСМ-&Р", ID_DEVICE_KSM_R),
    item("КСМ-&Н", ID_DEVICE_KSM_N),
    item("КСМ-&С", ID_DEVICE_KSM_S),
    item("&КСМ", ID_DEVICE_KSM),
};
constexpr MenuItem kSettings[] = {
    popup("&Порт", kPort),
    popup("&Тип вычислителя", kDevice),
    Separator,
    item("По&рты…", ID_PORTS),
};
constexpr MenuItem kHelp[] = {
    item("&Справка", ID_HELP),
    item("&О программе...", ID_APP_ABOUT),
};
constexpr MenuItem kMainFrame[] = {
    popup("&Файл", kMainFile),
    popup("&Вид", kView),
    popup("Настройки", kSettings),
    popup("&Помощь", kHelp),
};

// Menu shown while a form window is active.
constexpr MenuItem kFormFile[] = {
    item("&Создать\tCtrl+N", ID_FILE_NEW),
    item("&Открыть..\tCtrl+O", ID_FILE_OPEN),
    item("&Закрыть", ID_FILE_CLOSE),
    item("Со&хранить\tCtrl+S", ID_FILE_SAVE),
    item("Сохранить &Как...", ID_FILE_SAVE_AS),
    Separator,
    item("&Установить связь", ID_CONNECT),
    item("Ос&тановить прием данных", ID_STOP_RECEIVE),
    Separator,
    item("&Печать...\tCtrl+P", ID_FILE_PRINT),
    item("Предварительный п&росмотр", ID_FILE_PRINT_PREVIEW),
    item("&Установка принтера...", ID_FILE_PRINT_SETUP),
    Separator,
    item("&Выход", ID_APP_EXIT),
    Separator,
    // "р" belongs to "Предварительный п&росмотр" here; "ы" is free in this popup.
    item("Порт&ы…", ID_PORTS),
    item("Связь с о&бъектом…", ID_SITE_CONNECT),
};
constexpr MenuItem kEdit[] = {
    item("&Отменить\tCtrl+Z", ID_EDIT_UNDO),  Separator,
    item("&Удалить\tCtrl+X", ID_EDIT_CUT),    item("&Копировать\tCtrl+C", ID_EDIT_COPY),
    item("&Вставить\tCtrl+V", ID_EDIT_PASTE),
};
constexpr MenuItem kWindow[] = {
    item("&Новое окно", ID_WINDOW_NEW),
    item("&Каскад", ID_WINDOW_CASCADE),
    item("&Упорядочить значки", ID_WINDOW_ARRANGE),
};
constexpr MenuItem kFormType[] = {
    popup("&Файл", kFormFile), popup("&Редактировать", kEdit), popup("&Вид", kView),
    popup("&Окно", kWindow),   popup("&Помощь", kHelp),
};

// The seven "Настройки" commands: port and type are chosen in the settings dialog only.
constexpr unsigned kUnhandled[] = {
    ID_PORT_COM1,    ID_PORT_COM2,    ID_DEVICE_KSM_ZH, ID_DEVICE_KSM_R,
    ID_DEVICE_KSM_N, ID_DEVICE_KSM_S, ID_DEVICE_KSM,
};

}  // namespace

std::span<const MenuItem> menuResource(unsigned menuId) {
    switch (menuId) {
        case IDR_MAINFRAME:
            return kMainFrame;
        case IDR_FORMTYPE:
            return kFormType;
        default:
            return {};
    }
}

std::span<const unsigned> unhandledCommands() {
    return kUnhandled;
}

bool isUnhandledCommand(unsigned command) {
    return std::find(std::begin(kUnhandled), std::end(kUnhandled), command) != std::end(kUnhandled);
}

}  // namespace res
