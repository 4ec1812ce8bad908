#pragma once

#include <QString>

// Started from its menu entry or by a double click, an installed program works in its own
// folder, where no operator's file belongs (Windows lets only an administrator write under
// Program Files): it moves to the user's documents, where the file dialogs then open. Run from
// anywhere else, or not installed (a build folder), it stays where it was started.
// False when it should have moved and could not.
bool leaveProgramFolder(const QString& programFolder, bool installed, const QString& documents);
