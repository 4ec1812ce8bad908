#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// What a search looks for and where it is found, on the forms' own cp1251 bytes. Folding maps a
// byte to one byte (lower case, ё as е), so a position in the folded text is the position in the
// file, and the line shown under a hit is cut from the file's bytes at the place found.
namespace SearchText {

// `cp1251` in lower case, Ё and ё as е: what the index and the searches compare.
QByteArray fold(QByteArrayView cp1251);

// Terms of at least this many bytes are found anywhere, inside words and numbers, through
// the trigrams of the index; shorter ones only at the start of a word, checked in the text.
constexpr qsizetype kTrigram = 3;

// The operator's query as folded cp1251 terms, split at blanks, longest first; nothing when a
// character has no cp1251 byte (no form can hold it) or the query is blank.
std::optional<std::vector<QByteArray>> terms(const QString& query);

// The index's tokens for a folded text: each distinct trigram holding no blank and at least one
// letter, as six hex digits, separated by spaces. Blanks never stand inside a term, so such
// trigrams are never looked for; figures are found through their numbers (below) or, without
// one of kNumberMin digits, by reading the forms.
QByteArray trigramTokens(QByteArrayView folded);

// What the index holds of a folded text: its trigram tokens, and for each run of digits every
// piece of kNumberMin to kNumberMax digits as "n" and the digits.
constexpr qsizetype kNumberMin = 4;
constexpr qsizetype kNumberMax = 12;
QByteArray indexTokens(QByteArrayView folded);
// The tokens a form holding folded `term` must hold; empty when the term is too short to have
// any.
QByteArray queryTokens(const QByteArray& term);

// Whether `folded` holds every term.
bool holdsAll(QByteArrayView folded, const std::vector<QByteArray>& terms);

// A line of a form with a place in it: the line as the operator reads it, and where in that
// line (in characters) the term shown stands.
struct Excerpt {
    QString line;
    qsizetype start = -1;
    qsizetype length = 0;
};

// The first line of `cp1251` (its folded twin `folded`) that holds every term, or else the
// first that holds the first term, cut to about `width` characters from a little before the
// first term's place.
Excerpt excerpt(QByteArrayView cp1251, QByteArrayView folded, const std::vector<QByteArray>& terms,
                qsizetype width = 160);

}  // namespace SearchText
