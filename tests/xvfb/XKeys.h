#pragma once

#include <QString>

// Sends keys as the X server's own input (XTest through xdotool) to the window that has the
// keyboard focus, one after the other, e.g. "ctrl+F4" or "a b c", then lets Qt take them in. False
// when xdotool failed.
bool sendKeys(const QString& keys);
