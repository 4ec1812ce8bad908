#include "res/Accelerators.h"

namespace res {
namespace {

using namespace id;

constexpr Accelerator kMainFrame[] = {
    {Qt::CTRL | Qt::Key_N, ID_FILE_NEW, false},
    {Qt::CTRL | Qt::Key_O, ID_FILE_OPEN, false},
    {Qt::CTRL | Qt::Key_S, ID_FILE_SAVE, false},
    {Qt::CTRL | Qt::Key_P, ID_FILE_PRINT, false},
    {Qt::CTRL | Qt::Key_Z, ID_EDIT_UNDO, false},
    {Qt::CTRL | Qt::Key_X, ID_EDIT_CUT, false},
    {Qt::CTRL | Qt::Key_C, ID_EDIT_COPY, false},
    {Qt::CTRL | Qt::Key_V, ID_EDIT_PASTE, false},
    {Qt::CTRL | Qt::Key_A, ID_EDIT_SELECT_ALL, false},
    {Qt::CTRL | Qt::Key_F, ID_EDIT_FIND, false},
    {QKeyCombination(Qt::Key_F3), ID_EDIT_REPEAT, false},
    {Qt::CTRL | Qt::Key_H, ID_EDIT_REPLACE, false},
    {Qt::ALT | Qt::Key_Return, ID_OLE_EDIT_PROPERTIES, true},
    {Qt::ALT | Qt::Key_Backspace, ID_EDIT_UNDO, false},
    {Qt::SHIFT | Qt::Key_Delete, ID_EDIT_CUT, false},
    {Qt::CTRL | Qt::Key_Insert, ID_EDIT_COPY, false},
    {Qt::SHIFT | Qt::Key_Insert, ID_EDIT_PASTE, false},
    {QKeyCombination(Qt::Key_F6), ID_NEXT_PANE, false},
    {Qt::SHIFT | Qt::Key_F6, ID_PREV_PANE, false},
    {QKeyCombination(Qt::Key_Escape), ID_ESCAPE_NOTHING, true},
};

}  // namespace

std::span<const Accelerator> acceleratorTable(unsigned tableId) {
    return tableId == IDR_MAINFRAME ? std::span<const Accelerator>(kMainFrame)
                                    : std::span<const Accelerator>();
}

}  // namespace res
