#pragma once

#include <QString>

class QTextEdit;

// What Find and Replace look for. One search is shared by every view, so Find Next (F3) goes on
// with the last search in whichever form is active.
struct FindState {
    QString strFind;
    QString strReplace;
    bool bMatchCase = false;
    bool bWholeWord = false;
    bool bDown = true;
};

namespace TextSearch {

// Selects the next match after the selection (before it when searching up), going round the
// text once. False when there is none; the selection stays then.
bool findNext(QTextEdit* edit, const FindState& state);
// Replaces the selection when it is a match, then selects the next match.
bool replaceNext(QTextEdit* edit, const FindState& state);
// Replaces every match in the text, as one step to undo. Returns how many.
int replaceAll(QTextEdit* edit, const FindState& state);

}  // namespace TextSearch
