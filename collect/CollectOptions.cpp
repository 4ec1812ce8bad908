#include "collect/CollectOptions.h"

#include "acquisition/DeviceType.h"
#include "archive/ArchiveName.h"
#include "archive/ArchiveSettings.h"
#include "collect/CollectOutcome.h"
#include "platform/IpAddress.h"
#include "res/Texts.h"
#include "settings/ExchangeChoice.h"
#include "sites/SiteBook.h"

namespace {

std::optional<int> atLeast(const QString& text, int min) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < min) return std::nullopt;
    return value;
}

void applyListen(CollectOptions& o, const QString& name, const QString& value) {
    if (name == u"--listen") {
        QString host;
        int port = 0;
        if (!splitListenAddress(value, &host, &port)) o.error = texts::kCollectBadListen;
        o.listen = value;
    } else if (name == u"--idle") {
        const auto n = atLeast(value, 1);
        if (!n) o.error = texts::kCollectBadIdle;
        o.idleSeconds = n.value_or(o.idleSeconds);
    }
}

void applySites(CollectOptions& o, const QString& name, const QString& value) {
    if (name == u"--site") {
        if (value.trimmed().isEmpty()) o.error = texts::kSiteNoName;
        o.site = value;
    } else if (name == u"--sites") {
        if (value.isEmpty()) o.error = texts::collectNoValue(name);
        o.sitesFile = value;
    } else if (name == u"--retry") {
        // Read wide, so that a count past int is told as too many rather than as no number.
        bool number = false;
        const qlonglong n = value.toLongLong(&number);
        if (!number || n < 0)
            o.error = texts::kCollectBadRetry;
        else if (n > CollectOptions::kMaxRetries)
            o.error = texts::collectTooManyRetries(CollectOptions::kMaxRetries);
        o.retries = o.error.isEmpty() ? int(n) : 0;
    } else if (name == u"--upload-wait") {
        const auto n = atLeast(value, 0);
        if (!n) o.error = texts::kCollectBadUploadWait;
        o.uploadWaitSeconds = n.value_or(o.uploadWaitSeconds);
    } else if (name == u"--retry-delay") {
        const auto n = atLeast(value, 0);
        if (!n) o.error = texts::kCollectBadRetryDelay;
        o.retryDelaySeconds = n.value_or(o.retryDelaySeconds);
    } else if (name == u"--jobs") {
        const auto n = atLeast(value, 1);
        if (!n || *n > CollectOptions::kMaxJobs) o.error = texts::kCollectBadJobs;
        o.jobs = o.error.isEmpty() ? *n : 0;
    } else if (name == u"--line-wait") {
        const auto n = atLeast(value, 0);
        if (!n) o.error = texts::kCollectBadLineWait;
        o.lineWaitSeconds = n.value_or(o.lineWaitSeconds);
    } else {
        applyListen(o, name, value);
    }
}

// One option with its value; false with `error` set when the value is wrong.
bool apply(CollectOptions& o, const QString& name, const QString& value) {
    if (name == u"--port") {
        // The line is opened as it is named: a device path, a network server, a pseudo-terminal.
        if (!isExchangePort(value, kCollectRules.ports)) o.error = texts::kBadPort;
        o.port = value;
    } else if (name == u"--device") {
        // A type by its number too, for scripts that would rather not spell Cyrillic.
        o.deviceType = exchangeDeviceType(value, kCollectRules.spelling);
        if (!o.deviceType) o.error = texts::kBadDevice;
    } else if (name == u"--speed") {
        // "09600" too: scripts pass what they computed.
        o.rate = exchangeRate(value, kCollectRules.spelling);
        if (!o.rate) o.error = texts::kBadRate;
    } else if (name == u"--out") {
        o.error = ArchiveSettings::folderProblem(value);
        o.folder = value;
    } else if (name == u"--name") {
        o.error = value.trimmed().isEmpty() ? texts::kNoArchiveTemplate
                                            : ArchiveSettings::templateProblem(value);
        o.nameTemplate = value;
    } else if (name == u"--passes") {
        const auto n = atLeast(value, 1);
        if (!n) o.error = texts::kCollectBadPasses;
        o.passes = n.value_or(0);
    } else if (name == u"--wait") {
        const auto n = atLeast(value, 1);
        if (!n) o.error = texts::kCollectBadWait;
        o.waitSeconds = n.value_or(o.waitSeconds);
    } else {
        applySites(o, name, value);
    }
    return o.error.isEmpty();
}

// An option without a value; false when `name` is none.
bool applyFlag(CollectOptions& o, const QString& name) {
    bool* flag = name == u"--json"                    ? &o.json
                 : name == u"--help" || name == u"-h" ? &o.help
                 : name == u"--all"                   ? &o.all
                 : name == u"--upload"                ? &o.upload
                                                      : nullptr;
    if (flag) *flag = true;
    return flag != nullptr;
}

bool takesValue(const QString& name) {
    static const QStringList kNames = {"--port",  "--device", "--speed",       "--out",
                                       "--name",  "--passes", "--wait",        "--site",
                                       "--sites", "--retry",  "--retry-delay", "--jobs",
                                       "--line-wait", "--listen", "--idle",   "--upload-wait"};
    return kNames.contains(name);
}

}  // namespace

CollectOptions parseCollectOptions(const QStringList& args) {
    CollectOptions o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString name = args[i];
        if (applyFlag(o, name)) continue;
        QString value;
        const qsizetype eq = name.indexOf(u'=');
        const bool valueGiven = name.startsWith(u"--") && eq > 0;
        if (valueGiven) {
            value = name.mid(eq + 1);
            name.truncate(eq);
        }
        if (!takesValue(name))
            o.error = texts::collectUnknownOption(name);
        else if (!valueGiven && i + 1 >= args.size())
            o.error = texts::collectNoValue(name);
        else if (!valueGiven)
            value = args[++i];
        if (!o.error.isEmpty() || !apply(o, name, value)) {
            // The report is still wanted in the form asked for.
            o.json = o.json || args.mid(i + 1).contains(QStringLiteral("--json"));
            return o;
        }
    }
    if (o.all && o.site) o.error = texts::kCollectSiteAndAll;
    // Every site of the book through one line would file one calculator's forms under each.
    if (o.all && o.port) o.error = texts::kCollectPortAndAll;
    if (o.listen && (o.all || o.site || o.port)) o.error = texts::kCollectListenAlone;
    return o;
}

bool splitListenAddress(const QString& text, QString* host, int* port) {
    const qsizetype colon = text.lastIndexOf(u':');
    QString h = colon < 0 ? QString() : text.left(colon);
    if (h.startsWith(u'[') && h.endsWith(u']')) h = h.mid(1, h.size() - 2);
    bool number = false;
    const int p = text.mid(colon + 1).toInt(&number);
    if (!number || p < 1 || p > 65535) return false;
    if (!h.isEmpty() && !canonicalIpAddress(h.toStdString())) return false;
    *host = h;
    *port = p;
    return true;
}

namespace {

// "a, b или c", as the usage lists the values an option takes.
QString oneOf(const QStringList& values) {
    if (values.size() < 2) return values.join(QString());
    return values.first(values.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" или ") +
           values.last();
}

// What --port, --device and --speed take, from the exchange choice, so that a new type or
// speed is listed where it is added.
QString choiceUsage() {
    QStringList types;
    for (int type = 0; type < kDeviceTypeCount; ++type) types << exchangeDeviceName(type);
    types << QStringLiteral("0..%1").arg(kDeviceTypeCount - 1);
    return QStringLiteral(
               "  --port     порт: %1..%2, путь устройства или адрес сетевого сервера\n"
               "             tcp://узел:порт, rfc2217://узел:порт (по умолчанию из Tabulon.ini;\n"
               "             не с --all: у каждого объекта свой порт)\n"
               "  --device   тип вычислителя: %3\n"
               "             (по умолчанию из Tabulon.ini)\n"
               "  --speed    скорость: %4 (по умолчанию из Tabulon.ini)\n")
        .arg(exchangePortItems().first(), exchangePortItems().last(), oneOf(types),
             oneOf(exchangeRateItems()));
}

}  // namespace

QString collectUsage() {
    QString text =
        QStringLiteral(
            "Использование: tabulon-collect [--port COMn|/dev/...] [--device ИМЯ] [--speed N]\n"
            "                       [--out ПАПКА] [--name ШАБЛОН] [--passes N] [--wait С] "
            "[--json]\n"
            "                       [--site ОБЪЕКТ | --all] [--sites ФАЙЛ] [--retry N]\n"
            "                       [--retry-delay С] [--jobs N] [--line-wait С]\n"
            "                       [--upload] [--upload-wait С]\n"
            "       tabulon-collect --listen [АДРЕС:]ПОРТ [--idle С] [--sites ФАЙЛ] [--out ПАПКА]\n"
            "\n"
            "Устанавливает связь с вычислителем, принимает формы и записывает каждую в архив.\n"
            "Проходы чтения повторяются, пока проход приносит новые данные (или N проходов).\n"
            "\n") +
        choiceUsage() +
        QStringLiteral(
            "  --out      папка архива (по умолчанию из настроек Tabulon, иначе "
            "Документы/Tabulon)\n"
            "  --name     шаблон имени файла; поля {date} {time} {port} {device} {speed} {n}\n"
            "             {title}; по умолчанию %1\n"
            "  --passes   не больше N проходов чтения\n"
            "  --wait     сколько секунд каждый проход ждет первого байта (по умолчанию 60);\n"
            "             когда байты пошли, проход завершает пауза, заданная типом вычислителя\n"
            "  --json     отчет в формате JSON на стандартный вывод\n")
            .arg(ArchiveName::kDefaultTemplate) +
        texts::kCollectSitesHelp.arg(SiteBook::userPath()) + texts::kCollectRoundHelp +
        texts::kCollectListenHelp + texts::kCollectUploadHelp +
        QStringLiteral("\nКод завершения:\n");
    int count = 0;
    const CollectOutcomeInfo* outcomes = collectOutcomes(&count);
    for (int i = 0; i < count; ++i)
        text +=
            QStringLiteral("  %1  %2\n").arg(int(outcomes[i].outcome), 2).arg(outcomes[i].meaning);
    return text + u'\n' + texts::kCollectOutcomeOrder + u'\n' + texts::kCollectRoundOutcome + u'\n';
}
