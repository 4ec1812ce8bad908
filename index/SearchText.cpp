#include "index/SearchText.h"

#include <QChar>
#include <QRegularExpression>
#include <QThreadStorage>
#include <algorithm>
#include <array>

#include "files/TextFileCodec.h"

namespace SearchText {
namespace {

constexpr unsigned char kYo = 0xB8, kCapitalYo = 0xA8, kYe = 0xE5;
constexpr qsizetype kLead = 12;

const std::array<unsigned char, 256>& foldTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const int lower =
                TextFileCodec::toCp1251(QChar(TextFileCodec::toUnicode(b)).toLower().unicode());
            t[b] = lower > 0 ? static_cast<unsigned char>(lower) : b;
        }
        t[kYo] = t[kCapitalYo] = kYe;
        return t;
    }();
    return table;
}

// Bytes that make up words: ASCII letters and digits, and every letter of the code page.
bool isWordByte(unsigned char b) {
    return QChar(TextFileCodec::toUnicode(b)).isLetterOrNumber();
}

// Word bytes that are no digits: a trigram without one is figures and punctuation, met in almost
// every form of a table of figures, so it tells the forms apart no better than nothing.
const std::array<bool, 256>& letterTable() {
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = isWordByte(static_cast<unsigned char>(b)) && (b < '0' || b > '9');
        return t;
    }();
    return table;
}

const std::array<bool, 256>& wordTable() {
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (int b = 0; b < 256; ++b) t[b] = isWordByte(static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}

bool isBlank(unsigned char b) {
    return b == ' ' || b == '\t' || b == '\r' || b == '\n' || b == 0;
}

// Where `term` stands in `folded` from `from` on: anywhere when it is long enough for the
// trigrams, else only at the start of a word.
qsizetype find(QByteArrayView folded, QByteArrayView term, qsizetype from = 0) {
    const auto& word = wordTable();
    for (qsizetype at = folded.indexOf(term, from); at >= 0; at = folded.indexOf(term, at + 1)) {
        if (term.size() >= kTrigram || at == 0 || !word[static_cast<unsigned char>(folded[at - 1])])
            return at;
    }
    return -1;
}

}  // namespace

QByteArray fold(QByteArrayView cp1251) {
    const auto& table = foldTable();
    QByteArray out(cp1251.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < cp1251.size(); ++i)
        out[i] = static_cast<char>(table[static_cast<unsigned char>(cp1251[i])]);
    return out;
}

std::optional<std::vector<QByteArray>> terms(const QString& query) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    std::vector<QByteArray> out;
    for (const QString& word : query.split(blanks, Qt::SkipEmptyParts)) {
        QByteArray bytes;
        for (QChar c : word) {
            const int byte = TextFileCodec::toCp1251(c.unicode());
            if (byte < 0) return std::nullopt;
            bytes += static_cast<char>(byte);
        }
        bytes = fold(bytes);
        if (std::find(out.begin(), out.end(), bytes) == out.end()) out.push_back(bytes);
    }
    if (out.empty()) return std::nullopt;
    std::stable_sort(out.begin(), out.end(),
                     [](const QByteArray& a, const QByteArray& b) { return a.size() > b.size(); });
    return out;
}

namespace {

bool isDigit(unsigned char b) {
    return b >= '0' && b <= '9';
}

// Every digit trigram is in almost every form of figures, so a number is found through the
// numbers themselves: each piece of kNumberMin to kNumberMax digits of a run of digits.
void addNumberTokens(QByteArrayView folded, QByteArray& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(folded.data());
    std::vector<QByteArrayView> pieces;
    for (qsizetype i = 0; i < folded.size();) {
        if (!isDigit(p[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < folded.size() && isDigit(p[end])) ++end;
        for (qsizetype from = i; from + kNumberMin <= end; ++from)
            for (qsizetype n = kNumberMin; n <= kNumberMax && from + n <= end; ++n)
                pieces.push_back(folded.sliced(from, n));
        i = end;
    }
    std::sort(pieces.begin(), pieces.end());
    pieces.erase(std::unique(pieces.begin(), pieces.end()), pieces.end());
    for (QByteArrayView piece : pieces) {
        if (!out.isEmpty()) out += ' ';
        out += 'n';
        out += piece;
    }
}

}  // namespace

QByteArray indexTokens(QByteArrayView folded) {
    QByteArray out = trigramTokens(folded);
    addNumberTokens(folded, out);
    return out;
}

QByteArray queryTokens(const QByteArray& term) {
    QByteArray out = trigramTokens(term);
    // The runs of digits in a term of figures ("09.12.2026"), each cut to the longest piece
    // the index holds.
    const auto* p = reinterpret_cast<const unsigned char*>(term.data());
    for (qsizetype i = 0; i < term.size();) {
        qsizetype end = i;
        while (end < term.size() && isDigit(p[end])) ++end;
        if (end - i >= kNumberMin) out += " n" + term.mid(i, std::min(end - i, kNumberMax));
        i = std::max(end, i + 1);
    }
    return out.trimmed();
}

QByteArray trigramTokens(QByteArrayView folded) {
    // A form of 3 KB holds some 2,000 trigrams of which a few hundred differ: one bit for each
    // possible trigram tells a repeat at once, and only the bits set are cleared after. One set
    // per thread, kept by Qt, which frees it as the thread ends: a C++ thread_local's destructor
    // runs after the thread's storage is gone under MinGW.
    static QThreadStorage<std::vector<quint64>> seenOfThread;
    if (!seenOfThread.hasLocalData())
        seenOfThread.setLocalData(std::vector<quint64>(std::size_t{1} << 18));
    std::vector<quint64>& seen = seenOfThread.localData();
    const auto& letter = letterTable();
    std::vector<quint32> grams;
    grams.reserve(1024);
    const auto* p = reinterpret_cast<const unsigned char*>(folded.data());
    for (qsizetype i = 0; i + 2 < folded.size(); ++i) {
        if (isBlank(p[i + 2])) {
            i += 2;  // no trigram holding it
            continue;
        }
        if (isBlank(p[i]) || isBlank(p[i + 1])) continue;
        if (!letter[p[i]] && !letter[p[i + 1]] && !letter[p[i + 2]]) continue;
        const quint32 g = quint32(p[i]) << 16 | quint32(p[i + 1]) << 8 | p[i + 2];
        quint64& word = seen[g >> 6];
        const quint64 bit = quint64{1} << (g & 63);
        if (word & bit) continue;
        word |= bit;
        grams.push_back(g);
    }
    for (quint32 g : grams) seen[g >> 6] = 0;
    static constexpr char kHex[] = "0123456789abcdef";
    QByteArray out(qsizetype(grams.size()) * 7, ' ');
    char* o = out.data();
    for (quint32 g : grams) {
        for (int shift = 20; shift >= 0; shift -= 4) *o++ = kHex[(g >> shift) & 0xF];
        ++o;
    }
    out.chop(out.isEmpty() ? 0 : 1);
    return out;
}

bool holdsAll(QByteArrayView folded, const std::vector<QByteArray>& terms) {
    return std::all_of(terms.begin(), terms.end(),
                       [&](const QByteArray& t) { return find(folded, t) >= 0; });
}

Excerpt excerpt(QByteArrayView cp1251, QByteArrayView folded, const std::vector<QByteArray>& terms,
                qsizetype width) {
    Excerpt e;
    if (terms.empty()) return e;
    const QByteArray& term = terms.front();
    // The first line that holds every term, else the first place of the first term.
    qsizetype at = find(folded, term);
    for (qsizetype here = at; here >= 0; here = find(folded, term, here + 1)) {
        qsizetype lineStart = here, lineEnd = here;
        while (lineStart > 0 && folded[lineStart - 1] != '\n') --lineStart;
        while (lineEnd < folded.size() && folded[lineEnd] != '\n') ++lineEnd;
        if (holdsAll(folded.sliced(lineStart, lineEnd - lineStart), terms)) {
            at = here;
            break;
        }
    }
    if (at < 0) return e;
    qsizetype begin = at, end = at + term.size();
    while (begin > 0 && folded[begin - 1] != '\n' && folded[begin - 1] != '\r') --begin;
    while (end < folded.size() && folded[end] != '\n' && folded[end] != '\r') ++end;
    while (begin < at && isBlank(static_cast<unsigned char>(folded[begin]))) ++begin;
    // A long line keeps the place in sight of a narrow column: a few characters before it and
    // the rest after. Cut at the front, it starts at a word, after a mark that it was cut.
    const bool cut = at - kLead > begin;
    if (cut) {
        begin = at - kLead;
        while (begin < at && !isBlank(static_cast<unsigned char>(folded[begin - 1]))) ++begin;
        e.line += QChar(u'\u2026');
    }
    end = std::min(end, begin + std::max(width - e.line.size(), term.size()));
    e.line.reserve(e.line.size() + end - begin);
    for (qsizetype i = begin; i < end; ++i) {
        const auto b = static_cast<unsigned char>(cp1251[i]);
        e.line += b == 0 || b == '\t' ? QChar(u' ') : QChar(TextFileCodec::toUnicode(b));
    }
    e.start = at - begin + (cut ? 1 : 0);
    e.length = term.size();
    return e;
}

}  // namespace SearchText
