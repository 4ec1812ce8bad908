#include "SettingsFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <optional>

#include "res/MessageStyle.h"
#include "settings/IniPath.h"
#include "settings/SettingsFormat.h"

namespace {

const char* const kCodePage = "windows-1251";

QString CannotOpenText() {
    return QStringLiteral("Невозможно открыть файл Tabulon.ini");
}
QString BadFormatText() {
    return QStringLiteral("Неверный формат файла Tabulon.ini");
}

void Report(const SettingsReport& report, const QString& text, unsigned style) {
    if (report) report(text, style);
}

QString FromCp1251(const std::string& bytes) {
    QStringDecoder decoder(kCodePage);
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

// Typed text may hold characters that cp1251 lacks. The converter marks each with 0x1A; the
// operator recognises the '?' that Windows' own conversion writes there.
std::string ToCp1251(const QString& text) {
    QStringEncoder encoder(kCodePage);
    std::string bytes;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, length);
        const QByteArray encoded = encoder.encode(character);
        if (encoded == "\x1A" && character != u"\x1A")
            bytes += '?';
        else
            bytes.append(encoded.constData(), std::size_t(encoded.size()));
        i += length;
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
        Report(report, CannotOpenText(), msg::MB_ICONEXCLAMATION);
        return;
    }
    const std::optional<SettingsText> values = ParseSettingsText(*bytes);
    if (!values) {
        Report(report, BadFormatText(), msg::MB_OK);
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
    QSaveFile file(path);
    // QSaveFile::commit() does not notice a buffered write that fails when it flushes (a full
    // disk) and would put the empty temporary file in place of the old one: flush first.
    const bool written = !path.isEmpty() && file.open(QIODevice::WriteOnly) &&
                         file.write(text.data(), qint64(text.size())) == qint64(text.size()) &&
                         file.flush() && file.commit();
    // An uncommitted QSaveFile removes its temporary file, so the old file is untouched.
    if (!written) Report(report, CannotOpenText(), msg::MB_ICONEXCLAMATION);
    return written;
}
