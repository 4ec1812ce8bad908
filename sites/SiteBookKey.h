#pragma once

#include <toml++/toml.h>

#include <QByteArray>
#include <QString>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>

#include "sites/Site.h"

// What the readers of a site's keys share: the mistake they report, the book's way of reading a
// text, and one line written as toml++ writes it. Each group of keys (the dial-up ones, those of
// a modem that calls in) reads and writes itself with these, so the table walk in SiteBookFormat
// stays one walk.
namespace SiteBookKey {

struct Mistake {
    int line = 0;
    QString what;
};

// A key's reading: nothing when all is well, else the mistake.
using Read = std::optional<Mistake>;
// A group's reading of a key: nothing when the key is none of the group's.
using GroupRead = std::optional<Read>;

inline QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

inline int lineOf(const toml::source_region& source) {
    return int(source.begin.line);
}

Read readText(const Site& site, const QString& key, const toml::node& value, QString& into);

// A port as the book accepts it, for a cable's `port` and a modem's alike.
bool isBookPort(const QString& port);

// A text that must pass `valid`, else `problem` names what is wrong with it.
Read readChecked(const Site& site, const QString& key, const toml::node& value, QString& into,
                 bool (*valid)(const QString&), const QString& problem);

// One line of TOML as toml++ writes it: quoted and escaped where the text needs it, Cyrillic
// left as it is so that a person can read the file.
template <typename Value>
QByteArray tomlLine(const QString& key, Value&& value) {
    toml::table table;
    table.insert(key.toStdString(), std::forward<Value>(value));
    std::ostringstream out;
    out << toml::toml_formatter(table, toml::format_flags::allow_unicode_strings);
    return QByteArray::fromStdString(out.str()).trimmed() + '\n';
}

}  // namespace SiteBookKey
