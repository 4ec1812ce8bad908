#pragma once

#include <QStringList>

class ComPortDirectory;

// What `Tabulon --list-ports` prints: one line per serial device of the machine, plugged in or
// remembered under a number, and per network address, numbered ones first.
QStringList portListLines(const ComPortDirectory& directory);
