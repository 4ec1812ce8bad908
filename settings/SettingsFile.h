#pragma once

#include <QString>
#include <functional>

// Shows a message to the operator: text and a msg::MB_* style (res/MessageStyle.h).
// Writing runs on the worker thread, so the caller decides how the message reaches the screen.
using SettingsReport = std::function<int(const QString& text, unsigned style)>;

// Reads port, calculator type and speed from the file at `path`. The three strings change only
// when the whole file was read and understood; otherwise they keep what they held and the
// failure has been reported.
void ReadSettingsFile(const QString& path, QString& port, QString& device, QString& rate,
                      const SettingsReport& report);

// Writes the three strings to `path`, safely (files/SafeFile.h): where the folder allows, a
// failure (disk full) leaves the old file whole; a read-only folder with a writable file gets
// the file written in place. Returns false after reporting the failure. Only the operator's
// configuration folder is created when missing (makeConfigFolderFor).
bool WriteSettingsFile(const QString& path, const QString& port, const QString& device,
                       const QString& rate, const SettingsReport& report);
