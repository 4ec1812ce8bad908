#pragma once

#include <QString>
#include <functional>

#include "res/MessageStyle.h"

// Every message of the program passes here: caption "Tabulon", buttons and icon from
// `style` (msg::MB_*), the exclamation icon when the style names none.
// Returns the answer (msg::IDOK, IDYES, ...). Call on the UI thread only.
int tabulonMessageBox(const QString& text, unsigned style = msg::MB_OK);

// Tests script the answers here: while a hook is set, no box is shown and the hook answers.
using MessageBoxHook = std::function<int(const QString& text, unsigned style)>;
void setMessageBoxHook(MessageBoxHook hook);
