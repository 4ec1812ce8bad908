#include "store/StoreAddress.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include "files/RegularFile.h"
#include "res/Texts.h"
#include "store/Conninfo.h"

namespace {

constexpr qint64 kMaxFileBytes = 64 * 1024;

using Conninfo::Options;

QString option(const Options& options, const char* key) {
    const auto found = options.find(key);
    return found == options.end() ? QString() : QString::fromStdString(found->second);
}

QString firstLine(const QString& text) {
    for (const QString& line : text.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(u'#')) return trimmed;
    }
    return {};
}

}  // namespace

StoreAddress StoreAddress::fromText(const QString& text, const QString& origin) {
    StoreAddress address;
    address.origin = origin;
    address.conninfo = firstLine(text);
    if (address.conninfo.isEmpty()) return address;
    if (!Conninfo::available()) {
        address.error = texts::kStoreNotInThisBuild.arg(origin);
        address.conninfo.clear();
        return address;
    }
    QString problem;
    const Options options = Conninfo::parse(address.conninfo, &problem);
    // The parser's words may quote the address, and with it a password: they are not repeated.
    if (!problem.isEmpty())
        address.error =
            texts::kStoreAddressBad.arg(origin, problem.contains(u'=') || problem.contains(u'@')
                                                    ? QStringLiteral("неверная запись")
                                                    : problem);
    else if (options.count("password"))
        address.error = texts::kStoreAddressHasPassword.arg(origin);
    if (!address.error.isEmpty()) address.conninfo.clear();
    return address;
}

StoreAddress StoreAddress::find() {
    const QByteArray variable = qgetenv("TABULON_STORE");
    if (!variable.trimmed().isEmpty())
        return fromText(QString::fromUtf8(variable), QStringLiteral("TABULON_STORE"));
    for (const QString& path : {userFile(), systemFile()}) {
        if (!QFileInfo::exists(path)) continue;
        const RegularFile::Result file = RegularFile::read(path, kMaxFileBytes);
        if (file.ok()) return fromText(QString::fromUtf8(file.bytes), path);
    }
    return {};
}

QString StoreAddress::userFile() {
    // Beside SiteBook::userPath, which names the book itself.
    const QString book = qEnvironmentVariable("TABULON_SITES");
    if (!book.isEmpty()) return QFileInfo(book).dir().filePath(QStringLiteral("store.conf"));
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tabulon/store.conf");
}

QString StoreAddress::systemFile() {
    return QStringLiteral("/etc/tabulon/store.conf");
}

QString StoreAddress::shown() const {
    QString problem;
    const Options options = Conninfo::parse(conninfo, &problem);
    if (!problem.isEmpty()) return QStringLiteral("(адрес не разобран)");
    QString text;
    if (const QString user = option(options, "user"); !user.isEmpty()) text = user + u'@';
    const QString host = option(options, "host");
    text += host.isEmpty() ? option(options, "hostaddr") : host;
    if (const QString port = option(options, "port"); !port.isEmpty()) text += u':' + port;
    return text + u'/' + option(options, "dbname");
}

QString StoreAddress::role() const {
    QString problem;
    return option(Conninfo::parse(conninfo, &problem), "user");
}
