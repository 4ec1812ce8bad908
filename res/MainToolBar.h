#pragma once

class CommandActions;
class QToolBar;
class QWidget;

// Toolbar IDR_MAINFRAME: the command actions themselves in the table's order, so a button shows
// its command's icon, tooltip, prompt and enabled state.
QToolBar* buildMainToolBar(const CommandActions& commands, QWidget* parent);
