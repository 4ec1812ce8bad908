#pragma once

#include <QString>
#include <QUrl>

namespace res {

// Where the operator's manual starts: built into the program unless pointed elsewhere. The Help
// command shows "Failed to launch help." when nothing is found there.
QString helpManualPath();
// The same location as a URL a QTextBrowser opens (relative links between pages keep working).
QUrl helpManualUrl();
bool helpManualExists();

// Points the manual elsewhere (an installed copy, or a missing one in tests); empty restores the
// built-in manual.
void setHelpManualPath(const QString& path);

}  // namespace res
