#include "settings/SettingsFile.h"

#include <optional>

#include "files/RegularFile.h"
#include "files/SafeFile.h"
#include "files/TextFileCodec.h"
#include "res/MessageStyle.h"
#include "res/Texts.h"
#include "settings/IniPath.h"
#include "settings/SettingsFormat.h"

namespace {

void reportTo(const SettingsReport& report, const QString& text, unsigned style) {
    if (report) report(text, style);
}

// The file's code page through the program's own table: Qt's converters know cp1251 only
// through ICU, which the Windows build of Qt does not have.
QString fromCp1251(const std::string& bytes) {
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (const char byte : bytes)
        text += QChar(TextFileCodec::toUnicode(static_cast<unsigned char>(byte)));
    return text;
}

// Typed text may hold characters that cp1251 lacks, a surrogate pair or a lone half of one
// included: each becomes the '?' that Windows' own conversion writes there.
std::string toCp1251(const QString& text) {
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
        const int byte = c.isSurrogate() ? -1 : TextFileCodec::toCp1251(c.unicode());
        bytes += byte < 0 ? '?' : char(byte);
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
