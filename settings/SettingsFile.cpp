#include "settings/SettingsFile.h"

#include <QHash>
#include <QStringDecoder>
#include <optional>

#include "files/RegularFile.h"
#include "files/SafeFile.h"
#include "res/MessageStyle.h"
#include "res/Texts.h"
#include "settings/IniPath.h"
#include "settings/SettingsFormat.h"

namespace {

const char* const kCodePage = "windows-1251";

void reportTo(const SettingsReport& report, const QString& text, unsigned style) {
    if (report) report(text, style);
}

QString fromCp1251(const std::string& bytes) {
    QStringDecoder decoder(kCodePage);
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

// Every character cp1251 has, with its byte: the code page read back from all its bytes.
const QHash<char16_t, char>& cp1251Bytes() {
    static const QHash<char16_t, char> bytes = [] {
        QHash<char16_t, char> table;
        QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
        for (int byte = 0; byte < 256; ++byte) {
            const char c = char(byte);
            const QString decoded = decoder.decode(QByteArrayView(&c, 1));
            if (decoded.size() == 1 && decoded[0] != QChar::ReplacementCharacter)
                table.insert(decoded[0].unicode(), c);
        }
        return table;
    }();
    return bytes;
}

// Typed text may hold characters that cp1251 lacks, a surrogate pair or a lone half of one
// included: each becomes the '?' that Windows' own conversion writes there.
std::string toCp1251(const QString& text) {
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
        const auto found = cp1251Bytes().constFind(c.unicode());
        bytes += found == cp1251Bytes().cend() || c.isSurrogate() ? '?' : *found;
    }
    return bytes;
}

}  // namespace

void ReadSettingsFile(const QString& path, QString& port, QString& device, QString& rate,
                      const SettingsReport& report) {
    // Whatever stands at the path, a pipe or a device included, is looked at without waiting.
    const RegularFile::Result file = RegularFile::read(path, qint64(kMaxSettingsFileSize));
    if (!file.ok() && file.failure != RegularFile::Failure::TooLarge) {
        reportTo(report, texts::kCannotOpenIni, msg::MB_ICONEXCLAMATION);
        return;
    }
    // A file too large for settings is not a settings file: the parser says so.
    const std::optional<SettingsText> values =
        file.ok() ? parseSettingsText(
                        std::string_view(file.bytes.constData(), std::size_t(file.bytes.size())))
                  : std::nullopt;
    if (!values) {
        reportTo(report, texts::kBadIniFormat, msg::MB_OK);
        return;
    }
    port = fromCp1251(values->port);
    device = fromCp1251(values->device);
    rate = fromCp1251(values->rate);
}

bool WriteSettingsFile(const QString& path, const QString& port, const QString& device,
                       const QString& rate, const SettingsReport& report) {
    const std::string text = formatSettingsText(toCp1251(port), toCp1251(device), toCp1251(rate));
    makeConfigFolderFor(path);
    const bool written = SafeFile::write(path, QByteArray(text.data(), qsizetype(text.size()))).ok;
    if (!written) reportTo(report, texts::kCannotOpenIni, msg::MB_ICONEXCLAMATION);
    return written;
}
