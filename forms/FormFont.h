#pragma once

#include <QFont>

// The face every form is shown and printed in: 11-point Courier New where it is installed, else
// a fixed-pitch face with Cyrillic letters, so the columns of a report form line up.
QFont formFont();
