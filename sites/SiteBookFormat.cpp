#include "sites/SiteBookFormat.h"

#include <toml++/toml.h>

#include <algorithm>
#include <vector>

#include "res/Texts.h"
#include "settings/ExchangeChoice.h"
#include "sites/SiteBookDialKeys.h"
#include "sites/SiteBookKey.h"
#include "sites/SiteBookListenKeys.h"
#include "sites/SiteCheck.h"

namespace SiteBookFormat {

using SiteBookKey::fromUtf8;
using SiteBookKey::isBookPort;
using SiteBookKey::lineOf;
using SiteBookKey::Mistake;
using SiteBookKey::readChecked;
using SiteBookKey::readText;
using SiteBookKey::tomlLine;

namespace {

bool isComment(const QString& line) {
    return line.trimmed().startsWith(QLatin1Char('#'));
}

QString joinLines(const QStringList& lines, qsizetype from, qsizetype to) {
    QString text;
    for (qsizetype i = from; i < to; ++i) text += lines[i].trimmed() + QLatin1Char('\n');
    return text;
}

// Where the header ends: the comment block at the top, without the block that sits right on
// the first site's table and belongs to that site.
qsizetype headerEnd(const QStringList& lines) {
    qsizetype content = 0;
    while (content < lines.size() &&
           (lines[content].trimmed().isEmpty() || isComment(lines[content])))
        ++content;
    if (content == lines.size()) return content;
    qsizetype end = content;
    while (end > 0 && isComment(lines[end - 1])) --end;
    return end;
}

QString commentAbove(const QStringList& lines, int line, qsizetype stop) {
    qsizetype from = line - 1;
    while (from > stop && isComment(lines[from - 1])) --from;
    return joinLines(lines, from, line - 1);
}

// The key a person wrote on `line`, as written: the inside of "[Котельная 3]" or what stands
// before '=' in "Котельная 3 = ...".
QString writtenKey(const QString& line) {
    QString key = line.trimmed();
    if (key.startsWith(u'[')) {
        const qsizetype close = key.indexOf(u']');
        key = key.mid(1, close < 0 ? -1 : close - 1);
    } else {
        key = key.left(key.indexOf(u'='));
    }
    return key.trimmed();
}

// Whether the key on `line` is a name left without quotes that a bare TOML key cannot be:
// Cyrillic or blanks in it.
bool isUnquotedName(const QString& line) {
    const QString key = writtenKey(line);
    if (key.startsWith(u'"') || key.startsWith(u'\'')) return false;
    return std::any_of(key.cbegin(), key.cend(),
                       [](QChar c) { return c.unicode() > 0x7f || c == u' '; });
}

// The name to show quoted: the one on `line`, or the book's own example when the line shows none.
QString unquotedName(const QString& line) {
    const QString name = writtenKey(line);
    return name.isEmpty() ? QStringLiteral("Котельная 3") : name;
}

// The keys of the table header standing on `line` ("[a]", "['a b']  # x", "[a.b]"), read by
// toml++ from that line alone so that quoting and escapes count as in the book; empty when the
// line is no table header.
QStringList headerKeys(const QString& line) {
    const QByteArray text = line.trimmed().toUtf8();
    if (!text.startsWith('[') || text.startsWith("[[")) return {};
    QStringList keys;
    try {
        const toml::table header =
            toml::parse(std::string_view(text.constData(), std::size_t(text.size())));
        for (const toml::table* table = &header; table && table->size() == 1;) {
            keys << fromUtf8(table->cbegin()->first.str());
            table = table->cbegin()->second.as_table();
        }
    } catch (const toml::parse_error&) {
        return {};
    }
    return keys;
}

// The name of the table whose header on `line` (1-based) repeats one above it, read by our own
// scan of the headers rather than from toml++'s words, which change with the library.
std::optional<QString> repeatedTable(const QStringList& lines, int line) {
    if (line < 1 || line > lines.size()) return std::nullopt;
    const QStringList keys = headerKeys(lines[line - 1]);
    if (keys.isEmpty()) return std::nullopt;
    for (int above = 0; above < line - 1; ++above)
        if (headerKeys(lines[above]) == keys) return keys.join(u'.');
    return std::nullopt;
}

// Two mistakes a person makes most are told in the book's own words: a table met twice (a site
// copied and not renamed) and a Cyrillic name without quotes. Anything else is toml++'s own
// description, with its line.
Mistake syntaxMistake(const toml::parse_error& error, const QStringList& lines) {
    const int line = lineOf(error.source());
    if (const std::optional<QString> name = repeatedTable(lines, line))
        return {line, texts::siteTwice(*name)};
    const QString text = line >= 1 && line <= lines.size() ? lines[line - 1] : QString();
    if (isUnquotedName(text)) return {line, texts::siteNameUnquoted(unquotedName(text))};
    return {line, texts::siteBookNotToml(fromUtf8(error.description()))};
}

std::optional<Mistake> readDevice(Site& site, const toml::node& value) {
    const int line = lineOf(value.source());
    // A number stands for the type as the same digits in quotes would.
    const auto* number = value.as_integer();
    const auto* text = value.as_string();
    if (!number && !text)
        return Mistake{line, texts::siteKeyNotText(site.name, QStringLiteral("device"))};
    const QString written = number ? QString::number(number->get()) : fromUtf8(text->get());
    const std::optional<DeviceType> type = exchangeDeviceType(written, kSiteBookRules.spelling);
    if (!type) return Mistake{line, texts::siteBadValue(site.name, texts::kBadDevice, written)};
    site.device = *type;
    return std::nullopt;
}

std::optional<Mistake> readSpeed(Site& site, const toml::node& value) {
    const int line = lineOf(value.source());
    const auto* number = value.as_integer();
    if (!number) return Mistake{line, texts::siteKeyNotNumber(site.name, QStringLiteral("speed"))};
    const QString written = QString::number(number->get());
    const std::optional<int> speed = exchangeRate(written, kSiteBookRules.spelling);
    if (!speed) return Mistake{line, texts::siteBadValue(site.name, texts::kBadRate, written)};
    site.speed = *speed;
    return std::nullopt;
}

std::optional<Mistake> readKey(Site& site, const QString& key, const toml::node& value) {
    if (key == QLatin1String("port"))
        return readChecked(site, key, value, site.port, isBookPort, texts::kBadPort);
    if (key == QLatin1String("device")) return readDevice(site, value);
    if (key == QLatin1String("speed")) return readSpeed(site, value);
    if (key == QLatin1String("note")) return readText(site, key, value, site.note);
    if (SiteBookKey::GroupRead read = SiteBookListenKeys::read(site, key, value)) return *read;
    if (SiteBookKey::GroupRead read = SiteBookDialKeys::read(site, key, value)) return *read;
    return Mistake{lineOf(value.source()), texts::siteUnknownKey(site.name, key)};
}

// A site reaches its calculator either on a port or through a modem that dials it, and the
// modem's keys make sense only together.
std::optional<QString> lineMistake(const Site& site, const QStringList& keys) {
    const bool port = keys.contains(QLatin1String("port"));
    const bool modem = keys.contains(QLatin1String("modem"));
    const bool phone = keys.contains(QLatin1String("phone"));
    if (port && modem) return texts::siteModemAndPort(site.name);
    if (phone && !modem) return texts::sitePhoneWithoutModem(site.name);
    if (modem && !phone) return texts::siteModemWithoutPhone(site.name);
    // A site whose modem calls in needs no port: the service reads it over the connection.
    if (!port && !modem && !site.callsIn()) return texts::siteNoPort(site.name);
    for (const char* key : {"modem_init", "bearer", "dial_timeout"})
        if (!modem && keys.contains(QLatin1String(key)))
            return texts::siteDialKeyWithoutModem(site.name, QLatin1String(key));
    return std::nullopt;
}

template <typename Entries>
std::vector<std::pair<const toml::key*, const toml::node*>> inFileOrder(Entries& table) {
    std::vector<std::pair<const toml::key*, const toml::node*>> entries;
    for (auto&& [key, value] : table) entries.emplace_back(&key, &value);
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.first->source().begin < b.first->source().begin;
    });
    return entries;
}

std::optional<Mistake> readSite(Site& site, const toml::key& key, const toml::node& value) {
    const int line = lineOf(key.source());
    site.name = fromUtf8(key.str());
    const auto* table = value.as_table();
    if (!table) return Mistake{line, texts::siteNotTable(site.name)};
    if (const QString problem = siteNameProblem(site.name); !problem.isEmpty())
        return Mistake{line, problem};
    QStringList keys;
    for (const auto& [entryKey, entryValue] : inFileOrder(*table)) {
        keys << fromUtf8(entryKey->str());
        if (auto mistake = readKey(site, keys.back(), *entryValue)) return mistake;
    }
    if (const std::optional<QString> mistake = lineMistake(site, keys))
        return Mistake{line, *mistake};
    return std::nullopt;
}

}  // namespace

Parsed parse(const QByteArray& text, const QString& path) {
    Parsed parsed;
    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    toml::table root;
    try {
        root = toml::parse(std::string_view(text.constData(), std::size_t(text.size())));
    } catch (const toml::parse_error& error) {
        const Mistake mistake = syntaxMistake(error, lines);
        parsed.problem = texts::siteBookLine(path, mistake.line, mistake.what);
        return parsed;
    }
    const qsizetype header = headerEnd(lines);
    QString trimmedHeader = joinLines(lines, 0, header);
    while (trimmedHeader.endsWith(QStringLiteral("\n\n"))) trimmedHeader.chop(1);
    parsed.header = trimmedHeader.trimmed().isEmpty() ? QString() : trimmedHeader;
    for (const auto& [key, value] : inFileOrder(root)) {
        Site site;
        std::optional<Mistake> mistake = readSite(site, *key, *value);
        if (!mistake) {
            const QString clash =
                siteNameClash(parsed.sites, site.name, -1, texts::siteTwice(site.name));
            if (!clash.isEmpty()) mistake = Mistake{lineOf(key->source()), clash};
        }
        if (mistake) {
            parsed.sites.clear();
            parsed.problem = texts::siteBookLine(path, mistake->line, mistake->what);
            return parsed;
        }
        site.comment = commentAbove(lines, lineOf(key->source()), header);
        parsed.sites << site;
    }
    return parsed;
}

namespace {

QString readNode(Site& site, const QString& key, const toml::node& value) {
    const std::optional<Mistake> mistake = readKey(site, key, value);
    return mistake ? mistake->what : QString();
}

}  // namespace

QString readField(Site& site, const QString& key, const QString& text) {
    return readNode(site, key, toml::value<std::string>(text.toStdString()));
}

QString readField(Site& site, const QString& key, qint64 number) {
    return readNode(site, key, toml::value<int64_t>(number));
}

namespace {

QByteArray commentLines(const QString& comment) {
    QByteArray out;
    for (const QString& line : comment.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString trimmed = line.trimmed();
        out += (trimmed.startsWith(QLatin1Char('#')) ? trimmed : QStringLiteral("# ") + trimmed)
                   .toUtf8();
        out += '\n';
    }
    return out;
}

}  // namespace

QByteArray format(const QList<Site>& sites, const QString& header) {
    QByteArray out = commentLines(header.trimmed().isEmpty() ? texts::kSiteBookHeader : header);
    for (const Site& site : sites) {
        out += '\n';
        out += commentLines(site.comment);
        out += tomlLine(site.name, toml::table{});
        if (site.isDialUp())
            out += SiteBookDialKeys::lines(site);
        else if (!site.port.isEmpty() || !site.callsIn())
            out += tomlLine(QStringLiteral("port"), site.port.toStdString());
        out += tomlLine(QStringLiteral("device"), exchangeDeviceName(site.device).toStdString());
        out += tomlLine(QStringLiteral("speed"), site.speed);
        if (!site.note.isEmpty()) out += tomlLine(QStringLiteral("note"), site.note.toStdString());
        out += SiteBookListenKeys::lines(site);
    }
    return out;
}

}  // namespace SiteBookFormat
