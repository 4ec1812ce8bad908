#include "settings/SettingsFile.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <optional>

#include "files/SafeFile.h"
#include "res/MessageStyle.h"
#include "res/Texts.h"
#include "settings/IniPath.h"
#include "settings/SettingsFormat.h"

namespace {

const char* const kCodePage = "windows-1251";

void Report(const SettingsReport& report, const QString& text, unsigned style) {
    if (report) report(text, style);
}

QString FromCp1251(const std::string& bytes) {
    QStringDecoder decoder(kCodePage);
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

// Every character cp1251 has, with its byte: the code page read back from all its bytes.
const QHash<char16_t, char>& Cp1251Bytes() {
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
std::string ToCp1251(const QString& text) {
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
        const auto found = Cp1251Bytes().constFind(c.unicode());
        bytes += found == Cp1251Bytes().cend() || c.isSurrogate() ? '?' : *found;
    }
    return bytes;
}

// The file's bytes, at most one more than a settings file may hold, so that an oversized file
// is recognised without reading it all. Nothing when it cannot be opened or read.
std::optional<std::string> ReadBytes(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.read(qint64(kMaxSettingsFileSize) + 1);
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

}  // namespace

void ReadSettingsFile(const QString& path, QString& port, QString& device, QString& rate,
                      const SettingsReport& report) {
    const std::optional<std::string> bytes = ReadBytes(path);
    if (!bytes) {
        Report(report, texts::kCannotOpenIni, msg::MB_ICONEXCLAMATION);
        return;
    }
    const std::optional<SettingsText> values = ParseSettingsText(*bytes);
    if (!values) {
        Report(report, texts::kBadIniFormat, msg::MB_OK);
        return;
    }
    port = FromCp1251(values->port);
    device = FromCp1251(values->device);
    rate = FromCp1251(values->rate);
}

bool WriteSettingsFile(const QString& path, const QString& port, const QString& device,
                       const QString& rate, const SettingsReport& report) {
    const std::string text = FormatSettingsText(ToCp1251(port), ToCp1251(device), ToCp1251(rate));
    MakeConfigFolderFor(path);
    const bool written = SafeFile::write(path, QByteArray(text.data(), qsizetype(text.size()))).ok;
    if (!written) Report(report, texts::kCannotOpenIni, msg::MB_ICONEXCLAMATION);
    return written;
}
