#include <gtest/gtest.h>

#include <QKeySequence>
#include <QStringList>

#include "res/Accelerators.h"
#include "res/Menus.h"
#include "res/Strings.h"
#include "res/Toolbar.h"

using namespace id;

namespace {

// A menu flattened to lines "popup/sub/item = command flags", separators as "popup/-".
void flatten(std::span<const res::MenuItem> items, const QString& path, QStringList& out) {
    for (const res::MenuItem& item : items) {
        if (item.isSeparator()) {
            out << path + "-";
        } else if (item.isPopup()) {
            out << path + QString::fromUtf8(item.text) + "/";
            flatten(item.children, path + QString::fromUtf8(item.text) + "/", out);
        } else {
            QString line =
                path + QString::fromUtf8(item.text) + " = " + QString::number(item.command);
            if (item.flags & res::MF_CHECKED) line += " checked";
            if (item.flags & res::MF_GRAYED) line += " grayed";
            out << line;
        }
    }
}

struct MenuCase {
    unsigned menuId;
    std::vector<const char*> lines;
};

class MenuTable : public testing::TestWithParam<MenuCase> {};

TEST_P(MenuTable, ItemsInOrderWithTextsCommandsAndFlags) {
    QStringList actual;
    flatten(res::menuResource(GetParam().menuId), QString(), actual);
    QStringList expected;
    for (const char* line : GetParam().lines) expected << QString::fromUtf8(line);
    EXPECT_EQ(actual.join('\n').toStdString(), expected.join('\n').toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Menus, MenuTable,
    testing::Values(
        MenuCase{IDR_MAINFRAME,
                 {"&Файл/",
                  "&Файл/&Создать\tCtrl+N = 57600",
                  "&Файл/&Открыть...\tCtrl+O = 57601",
                  "&Файл/-",
                  "&Файл/&Установка принтера... = 57606",
                  "&Файл/-",
                  "&Файл/&Выход = 57665",
                  "&Вид/",
                  "&Вид/&Панель инструментов = 59392",
                  "&Вид/&Строка состояния = 59393",
                  "&Вид/-",
                  "&Вид/&Архив… = 32800",
                  "&Вид/&Открыть папку архива = 32801",
                  "&Вид/Архив фор&м = 32802",
                  "&Вид/Объ&екты… = 32803",
                  "&Вид/Сбор &за месяц = 32804",
                  "Настройки/",
                  "Настройки/&Порт/",
                  "Настройки/&Порт/&COM1 = 32776 checked",
                  "Настройки/&Порт/C&OM2 = 32777",
                  "Настройки/&Тип вычислителя/",
                  "Настройки/&Тип вычислителя/КСМ-&Ж = 32779 checked",
                  "Настройки/&Тип вычислителя/КСМ-&Р = 32780",
                  "Настройки/&Тип вычислителя/КСМ-&Н = 32781",
                  "Настройки/&Тип вычислителя/КСМ-&С = 32783",
                  "Настройки/&Тип вычислителя/&КСМ = 32784",
                  "Настройки/-",
                  "Настройки/По&рты… = 32790",
                  "&Помощь/",
                  "&Помощь/&Справка = 57670",
                  "&Помощь/&О программе... = 57664"}},
        MenuCase{IDR_FORMTYPE,
                 {"&Файл/",
                  "&Файл/&Создать\tCtrl+N = 57600",
                  "&Файл/&Открыть..\tCtrl+O = 57601",
                  "&Файл/&Закрыть = 57602",
                  "&Файл/Со&хранить\tCtrl+S = 57603",
                  "&Файл/Сохранить &Как... = 57604",
                  "&Файл/-",
                  "&Файл/&Установить связь = 32771",
                  "&Файл/Ос&тановить прием данных = 32774",
                  "&Файл/-",
                  "&Файл/&Печать...\tCtrl+P = 57607",
                  "&Файл/Предварительный п&росмотр = 57609",
                  "&Файл/&Установка принтера... = 57606",
                  "&Файл/-",
                  "&Файл/&Выход = 57665",
                  "&Файл/-",
                  "&Файл/Порт&ы… = 32790",
                  "&Файл/Связь с о&бъектом… = 32805",
                  "&Редактировать/",
                  "&Редактировать/&Отменить\tCtrl+Z = 57643",
                  "&Редактировать/-",
                  "&Редактировать/&Удалить\tCtrl+X = 57635",
                  "&Редактировать/&Копировать\tCtrl+C = 57634",
                  "&Редактировать/&Вставить\tCtrl+V = 57637",
                  "&Вид/",
                  "&Вид/&Панель инструментов = 59392",
                  "&Вид/&Строка состояния = 59393",
                  "&Вид/-",
                  "&Вид/&Архив… = 32800",
                  "&Вид/&Открыть папку архива = 32801",
                  "&Вид/Архив фор&м = 32802",
                  "&Вид/Объ&екты… = 32803",
                  "&Вид/Сбор &за месяц = 32804",
                  "&Окно/",
                  "&Окно/&Новое окно = 57648",
                  "&Окно/&Каскад = 57650",
                  "&Окно/&Упорядочить значки = 57649",
                  "&Помощь/",
                  "&Помощь/&Справка = 57670",
                  "&Помощь/&О программе... = 57664"}},
        // The in-place menu belongs to embedded objects, which this program does not have.
        MenuCase{IDR_FORMTYPE_INPLACE, {}}));

TEST(MenuTable, NoRecentFileSlotAndNoTileItem) {
    for (unsigned menu : {IDR_MAINFRAME, IDR_FORMTYPE}) {
        QStringList lines;
        flatten(res::menuResource(menu), QString(), lines);
        for (const QString& line : lines) {
            EXPECT_FALSE(line.endsWith(" = " + QString::number(ID_FILE_MRU_FILE1))) << menu;
            EXPECT_FALSE(line.endsWith(" = " + QString::number(ID_WINDOW_TILE_HORZ))) << menu;
        }
    }
}

TEST(MenuTable, TheSevenSettingsCommandsAreTheUnhandledOnes) {
    const std::vector<unsigned> unhandled(res::unhandledCommands().begin(),
                                          res::unhandledCommands().end());
    EXPECT_EQ(unhandled,
              (std::vector<unsigned>{ID_PORT_COM1, ID_PORT_COM2, ID_DEVICE_KSM_ZH, ID_DEVICE_KSM_R,
                                     ID_DEVICE_KSM_N, ID_DEVICE_KSM_S, ID_DEVICE_KSM}));
    EXPECT_FALSE(res::isUnhandledCommand(ID_CONNECT));
    EXPECT_FALSE(res::isUnhandledCommand(ID_ESCAPE_NOTHING));
}

TEST(AcceleratorTable, TwentyEntriesInOrder) {
    const std::vector<std::pair<const char*, unsigned>> expected = {
        {"Ctrl+N", ID_FILE_NEW},
        {"Ctrl+O", ID_FILE_OPEN},
        {"Ctrl+S", ID_FILE_SAVE},
        {"Ctrl+P", ID_FILE_PRINT},
        {"Ctrl+Z", ID_EDIT_UNDO},
        {"Ctrl+X", ID_EDIT_CUT},
        {"Ctrl+C", ID_EDIT_COPY},
        {"Ctrl+V", ID_EDIT_PASTE},
        {"Ctrl+A", ID_EDIT_SELECT_ALL},
        {"Ctrl+F", ID_EDIT_FIND},
        {"F3", ID_EDIT_REPEAT},
        {"Ctrl+H", ID_EDIT_REPLACE},
        {"Alt+Return", ID_OLE_EDIT_PROPERTIES},
        {"Alt+Backspace", ID_EDIT_UNDO},
        {"Shift+Del", ID_EDIT_CUT},
        {"Ctrl+Ins", ID_EDIT_COPY},
        {"Shift+Ins", ID_EDIT_PASTE},
        {"F6", ID_NEXT_PANE},
        {"Shift+F6", ID_PREV_PANE},
        {"Esc", ID_ESCAPE_NOTHING},
    };
    const auto table = res::acceleratorTable(IDR_MAINFRAME);
    ASSERT_EQ(table.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(QKeySequence(table[i].key).toString(QKeySequence::PortableText).toStdString(),
                  expected[i].first)
            << "entry " << i + 1;
        EXPECT_EQ(table[i].command, expected[i].second) << "entry " << i + 1;
        EXPECT_EQ(table[i].noInvert, i == 12 || i == 19) << "entry " << i + 1;
    }
    EXPECT_TRUE(res::acceleratorTable(IDR_FORMTYPE).empty());
    EXPECT_TRUE(res::acceleratorTable(IDR_FORMTYPE_INPLACE).empty());
}

TEST(ToolbarTable, ButtonsAndSeparatorsInOrder) {
    std::vector<unsigned> commands;
    for (const res::ToolbarButton& b : res::toolbarResource(IDR_MAINFRAME))
        commands.push_back(b.command);
    EXPECT_EQ(commands,
              (std::vector<unsigned>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR,
                                     ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_SEPARATOR,
                                     ID_FILE_PRINT, ID_SEPARATOR, ID_APP_ABOUT}));
}

struct StringCase {
    unsigned id;
    const char* text;
};

class StringTableEntry : public testing::TestWithParam<StringCase> {};

TEST_P(StringTableEntry, HoldsTheExactText) {
    EXPECT_EQ(res::loadString(GetParam().id).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, StringTableEntry,
    testing::Values(
        StringCase{IDR_MAINFRAME, "Tabulon"}, StringCase{AFX_IDS_APP_TITLE, "Tabulon"},
        StringCase{AFX_IDS_IDLEMESSAGE, "Ready"}, StringCase{ID_INDICATOR_CAPS, "CAP"},
        StringCase{ID_INDICATOR_NUM, "NUM"}, StringCase{ID_INDICATOR_SCRL, "SCRL"},
        StringCase{IDR_FORMTYPE,
                   "\nБезымянный\nБезымянный\n\n\nTabulon.Document\nБезымянный Document"},
        StringCase{ID_CONNECT, "Установить связь с вычислителем\nУстановить связь"},
        StringCase{ID_CONNECT_PROMPT_ONLY, "Устанавливает связь с вычислителем\nУстановка связи"},
        StringCase{ID_PORT_PROMPT_ONLY, "Выбор порта\nПорт"},
        StringCase{ID_EDIT_CUT, "Удалить выделенную облать в буфер\nУдалить"},
        StringCase{ID_APP_EXIT, "Закрыть приеложение; сохранить документы\nВыход"},
        StringCase{ID_FILE_PRINT_PREVIEW, "просмотреть весь документ\nПредварительный просмотр"},
        StringCase{AFX_IDS_ALLFILTER, "All Files (*.*)"},
        StringCase{AFX_IDP_ASK_TO_SAVE, "Save changes to %1?"},
        StringCase{AFX_IDP_FAILED_TO_LAUNCH_HELP, "Failed to launch help."},
        StringCase{AFX_IDP_FAILED_INVALID_PATH,
                   "%1\nCannot find this file.\nPlease verify that the correct path and file name "
                   "are given."},
        StringCase{AFX_IDP_FILE_EOF, "An attempt was made to access %1 past its end."},
        StringCase{AFX_IDP_ARCH_READONLY, "An attempt was made to write to the reading %1."},
        StringCase{AFX_IDS_PREVIEWPAGEDESC, "Page %u\nPages %u-%u\n"},
        StringCase{AFX_IDS_PRINTFILTER, "Printer Files (*.prn)|*.prn|All Files (*.*)|*.*||"},
        StringCase{AFX_IDS_PREVIEW_CLOSE, "Close print preview mode\nCancel Preview"}));

TEST(StringTable, EveryListedIdHasText) {
    // Both languages share one table: none of these may come out empty on any system.
    const unsigned listed[] = {
        128,   129,   32771, 32772, 32774, 32775, 32779, 32780, 32781, 32783, 32784, 57344,
        57345, 57600, 57601, 57602, 57603, 57604, 57605, 57606, 57607, 57609, 57634, 57635,
        57637, 57643, 57648, 57649, 57650, 57664, 57665, 57670, 59392, 59393, 59136, 59137,
        59138, 59139, 59140, 59141, 61445, 61440, 61441, 61442, 61443, 61446, 61696, 61697,
        61698, 61699, 61700, 61701, 61702, 61703, 61704, 61705, 61706, 61728, 61729, 61730,
        61731, 61732, 61733, 61734, 61872, 61873, 61874, 61875, 61876, 61877, 61878, 61879};
    for (unsigned id : listed) EXPECT_FALSE(res::loadString(id).isEmpty()) << id;
    for (unsigned id = 61504; id <= 61513; ++id) EXPECT_FALSE(res::loadString(id).isEmpty()) << id;
    for (unsigned id = 61856; id <= 61870; ++id) EXPECT_FALSE(res::loadString(id).isEmpty()) << id;
    for (unsigned id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_FILE16; ++id)
        EXPECT_FALSE(res::loadString(id).isEmpty()) << id;
}

TEST(StringTable, AbsentIdsAreEmpty) {
    for (unsigned id : {0u, 100u, 32768u, 32776u, 32777u, 57616u - 1, 70000u}) {
        EXPECT_FALSE(res::hasString(id)) << id;
        EXPECT_TRUE(res::loadString(id).isEmpty()) << id;
    }
}

struct PromptCase {
    unsigned id;
    const char* prompt;
    const char* tooltip;
};

class CommandString : public testing::TestWithParam<PromptCase> {};

TEST_P(CommandString, SplitsPromptFromTooltip) {
    EXPECT_EQ(res::commandPrompt(GetParam().id).toStdString(), GetParam().prompt);
    EXPECT_EQ(res::commandTooltip(GetParam().id).toStdString(), GetParam().tooltip);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, CommandString,
    testing::Values(PromptCase{ID_FILE_NEW, "Создать новый документ", "Создать"},
                    PromptCase{ID_FILE_OPEN, "Открыть новый документ", "Открыть новый документ"},
                    PromptCase{ID_WINDOW_CASCADE, "", "Каскад"}, PromptCase{ID_PORT_COM1, "", ""},
                    PromptCase{ID_PORT_COM2, "", ""}, PromptCase{ID_ESCAPE_NOTHING, "", ""},
                    PromptCase{ID_FILE_MRU_FILE1, "Open this document", ""},
                    PromptCase{ID_DEVICE_KSM, "Выбор вычислителя КСМ", "КСМ"},
                    PromptCase{ID_APP_ABOUT, "Вывод информации о программе", "О программе..."}));

TEST(StringTable, DocumentStringFields) {
    using res::DocStringIndex;
    EXPECT_EQ(res::documentString(DocStringIndex::windowTitle), "");
    EXPECT_EQ(res::documentString(DocStringIndex::docName), "Безымянный");
    EXPECT_EQ(res::documentString(DocStringIndex::fileNewName), "Безымянный");
    EXPECT_EQ(res::documentString(DocStringIndex::filterName), "");
    EXPECT_EQ(res::documentString(DocStringIndex::filterExt), "");
    EXPECT_EQ(res::documentString(DocStringIndex::regFileTypeId), "Tabulon.Document");
    EXPECT_EQ(res::documentString(DocStringIndex::regFileTypeName), "Безымянный Document");
}

}  // namespace
