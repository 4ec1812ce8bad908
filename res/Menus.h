#pragma once

#include <span>

#include "res/CommandIds.h"

namespace res {

enum MenuItemFlag : unsigned {
    MF_NONE = 0,
    MF_CHECKED = 0x0008,
    MF_GRAYED = 0x0001,
};

// One item of a menu resource. A separator has no text; a popup has children and no command.
struct MenuItem {
    const char* text;  // UTF-8, "&" marks the mnemonic, "\t" leads the shortcut text
    unsigned command;
    unsigned flags;
    std::span<const MenuItem> children;

    constexpr bool isSeparator() const { return text == nullptr; }
    constexpr bool isPopup() const { return !children.empty(); }
};

// The top-level popups of menu `menuId` (IDR_MAINFRAME or IDR_FORMTYPE); empty for other ids.
std::span<const MenuItem> menuResource(unsigned menuId);

// Menu commands no handler takes: their items show grayed whenever the menu opens. (Esc's
// command has no handler either, but it carries no item and its key must still be swallowed.)
std::span<const unsigned> unhandledCommands();
bool isUnhandledCommand(unsigned command);

}  // namespace res
