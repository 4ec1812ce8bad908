#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The letter after a single "&" of a menu item's or control's text, in lower case (pressed with
// or without Shift alike); a null character when it has none. "&&" is an ampersand.
inline QChar mnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] != u'&') return text[i + 1].toLower();
        ++i;
    }
    return {};
}

// One line "р: Предварительный п&росмотр | По&рты…" for each letter that two or more of
// `texts` take: the items of one popup or the controls of one dialog.
inline QStringList sharedMnemonics(const QStringList& texts) {
    QMap<QChar, QStringList> byLetter;
    for (const QString& text : texts)
        if (const QChar letter = mnemonicOf(text); !letter.isNull()) byLetter[letter] << text;
    QStringList shared;
    for (auto it = byLetter.cbegin(); it != byLetter.cend(); ++it)
        if (it.value().size() > 1) shared << QString(it.key()) + ": " + it.value().join(" | ");
    return shared;
}
