#include "forms/TextSearch.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace TextSearch {
namespace {

QTextDocument::FindFlags flagsOf(const FindState& state, bool down) {
    QTextDocument::FindFlags flags;
    if (state.bMatchCase) flags |= QTextDocument::FindCaseSensitively;
    if (state.bWholeWord) flags |= QTextDocument::FindWholeWords;
    if (!down) flags |= QTextDocument::FindBackward;
    return flags;
}

bool selectionMatches(QTextEdit* edit, const FindState& state) {
    const QTextCursor cursor = edit->textCursor();
    if (!cursor.hasSelection()) return false;
    // The selection matches exactly when searching from its start finds it again.
    QTextCursor from(edit->document());
    from.setPosition(cursor.selectionStart());
    const QTextCursor found = edit->document()->find(state.strFind, from, flagsOf(state, true));
    return !found.isNull() && found.selectionStart() == cursor.selectionStart() &&
           found.selectionEnd() == cursor.selectionEnd();
}

}  // namespace

bool findNext(QTextEdit* edit, const FindState& state) {
    if (state.strFind.isEmpty()) return false;
    QTextDocument* doc = edit->document();
    const QTextCursor current = edit->textCursor();
    const auto flags = flagsOf(state, state.bDown);
    const int start = state.bDown ? current.selectionEnd() : current.selectionStart();
    QTextCursor found = doc->find(state.strFind, start, flags);
    // Searching up, a match must end before the start, not merely begin before it.
    while (!state.bDown && !found.isNull() && found.selectionEnd() > start)
        found = found.selectionStart() > 0
                    ? doc->find(state.strFind, found.selectionStart() - 1, flags)
                    : QTextCursor();
    if (found.isNull()) {
        QTextCursor round(doc);
        if (!state.bDown) round.movePosition(QTextCursor::End);
        found = doc->find(state.strFind, round, flags);
    }
    if (found.isNull()) return false;
    edit->setTextCursor(found);
    return true;
}

bool replaceNext(QTextEdit* edit, const FindState& state) {
    if (selectionMatches(edit, state)) {
        QTextCursor cursor = edit->textCursor();
        cursor.insertText(state.strReplace);
        edit->setTextCursor(cursor);
    }
    return findNext(edit, state);
}

int replaceAll(QTextEdit* edit, const FindState& state) {
    if (state.strFind.isEmpty()) return 0;
    QTextDocument* doc = edit->document();
    const auto flags = flagsOf(state, true);
    QTextCursor oneStep(doc);
    oneStep.beginEditBlock();
    int count = 0;
    // Each search starts behind the text just put in, so a replacement that contains what is
    // searched for is not searched again.
    for (QTextCursor found = doc->find(state.strFind, 0, flags); !found.isNull();
         found = doc->find(state.strFind, found, flags)) {
        found.insertText(state.strReplace);
        ++count;
    }
    oneStep.endEditBlock();
    return count;
}

}  // namespace TextSearch
