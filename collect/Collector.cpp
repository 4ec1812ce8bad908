#include "collect/Collector.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <thread>

#include "acquisition/AcquisitionThreadProc.h"
#include "acquisition/DeviceType.h"
#include "collect/CollectHost.h"
#include "collect/Console.h"
#include "collect/CountingPort.h"
#include "ports/ComPortOpener.h"
#include "res/Texts.h"
#include "settings/IniPath.h"
#include "settings/SettingsFile.h"

namespace {

using namespace std::chrono_literals;
constexpr auto kTurn = 20ms;

QString deviceName(int type) {
    const std::string_view name = deviceTypeInfo(DeviceType(type)).name;
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

// The exchange's end, from what the worker met on its way.
CollectOutcome outcomeOf(const Collector::Report& r, bool opened, bool lineFailed, bool interrupted,
                         bool settingsFailed) {
    if (!opened) return CollectOutcome::OpenFailed;
    if (r.message == texts::kLinkNotEstablished) return CollectOutcome::NoLink;
    if (r.message == texts::kBadReply) return CollectOutcome::BadReply;
    if (r.message == texts::kLinkBroken)
        return lineFailed ? CollectOutcome::LineBroken : CollectOutcome::EchoFailed;
    if (interrupted) return CollectOutcome::Interrupted;
    if (settingsFailed) return CollectOutcome::SettingsFailed;
    if (r.archiveFailure) return CollectOutcome::ArchiveFailed;
    return r.forms > 0 ? CollectOutcome::Forms : CollectOutcome::Nothing;
}

}  // namespace

// Port, type and speed: the options', else the configuration file's.
bool Collector::resolveLine(Report& report, int& deviceType) {
    QString port = QStringLiteral("COM1"), device = QStringLiteral("КСМ-Р"),
            rate = QStringLiteral("9600");
    if (!m_options.port || !m_options.deviceType || !m_options.rate) {
        ReadSettingsFile(g_strIniPath, port, device, rate, [this](const QString& text, unsigned) {
            m_console.line(text);
            return 1;
        });
    }
    const CollectOptions fromFile =
        ParseCollectOptions({"--port", port, "--device", device, "--speed", rate});
    report.port = m_options.port.value_or(port);
    const std::optional<int> type =
        m_options.deviceType ? m_options.deviceType : fromFile.deviceType;
    const std::optional<int> speed = m_options.rate ? m_options.rate : fromFile.rate;
    if (!type || !speed || report.port.isEmpty()) {
        m_console.line(!type ? QStringLiteral("Неправильно задан тип вычислителя")
                       : !speed ? QStringLiteral("Неправильно задана скорость обмена данными")
                                : QStringLiteral("Неправильно задан порт"));
        return false;
    }
    deviceType = *type;
    report.device = deviceName(deviceType);
    report.rate = *speed;
    return true;
}

Collector::Report Collector::run() {
    Report report;
    report.started = QDateTime::currentDateTime();
    int deviceType = 0;
    if (!resolveLine(report, deviceType)) {
        report.outcome = CollectOutcome::Usage;
        report.finished = QDateTime::currentDateTime();
        return report;
    }
    ArchiveSettings settings = ArchiveSettings::Load();
    if (m_options.folder) settings.folder = *m_options.folder;
    if (m_options.nameTemplate) settings.nameTemplate = *m_options.nameTemplate;
    report.folder = settings.folder;

    FormArchive archive(settings, {report.port, report.device, report.rate});
    archive.keepEntries(m_options.json);
    archive.setWrittenHandler([this](const FormArchive::Entry& e) {
        if (e.complete)
            m_console.line(QStringLiteral("Форма %1 записана в архив: %2 (%3 байт)")
                               .arg(e.number)
                               .arg(e.path)
                               .arg(e.size));
    });
    archive.setFailureHandler([this](const FormArchive::Failure& f) {
        m_console.line(FormArchive::FailureText(f).replace(u'\n', u' '));
    });
    archive.setLeftoversHandler([this](const std::vector<Leftover>& found) {
        for (const Leftover& leftover : found) m_console.line(FormArchive::LeftoverText(leftover));
    });
    archive.recoverLeftovers();

    std::atomic<std::uint64_t> bytesRead{0};
    std::atomic<bool> lineFailed{false}, opened{false};
    CollectHost host(m_console, archive, {report.port, report.device, QString::number(report.rate)},
                     g_strIniPath, bytesRead, m_options.passes);
    ReceiveControl rc;
    rc.m_strPort = report.port.toStdString();
    rc.m_nRate = report.rate;
    rc.m_nDeviceType = DeviceType(deviceType);
    rc.m_pMainFrame = &host;
    rc.m_bReceiving = 1;

    const SerialOpener opener = [&](const std::string& name, int rate) {
        SerialOpenResult r = openComPort(name, rate);
        if (r.port) {
            opened = true;
            r.port = std::make_unique<CountingPort>(std::move(r.port), bytesRead, lineFailed);
        }
        return r;
    };
    std::atomic<bool> workerDone{false};
    std::thread worker([&] {
        SteadyClock clock;
        AcquisitionThreadProc(rc, opener, clock);
        workerDone = true;
    });

    bool interrupted = false;
    auto lastByteAt = std::chrono::steady_clock::now();
    std::uint64_t lastBytes = 0;
    const auto wait = std::chrono::seconds(m_options.waitSeconds);
    int turn = 0;
    while (!workerDone) {
        std::this_thread::sleep_for(kTurn);
        if (m_stopSignal.load() != 0 && !interrupted) {
            interrupted = true;
            host.interrupt();
        }
        const auto now = std::chrono::steady_clock::now();
        if (bytesRead.load() != lastBytes) {
            lastBytes = bytesRead.load();
            lastByteAt = now;
        }
        if (!host.inPass()) lastByteAt = now;
        // A stop like the operator's: a pass begun after the signal is stopped too.
        const bool stopNow = interrupted || (host.inPass() && now - lastByteAt >= wait);
        if (stopNow && !rc.m_bStop) rc.requestStop();
        if (++turn % 10 == 0)
            m_console.progress(QStringLiteral("Принято %1 байт, форм: %2")
                                   .arg(lastBytes)
                                   .arg(host.formsReceived()));
    }
    worker.join();
    m_console.endProgress();
    archive.finish();

    report.finished = QDateTime::currentDateTime();
    report.bytes = bytesRead.load();
    report.passes = host.passes();
    report.forms = host.formsReceived();
    report.files = archive.entries();
    report.archiveFailure = archive.firstFailure();
    report.message = host.failure().value_or(QString());
    report.outcome = outcomeOf(report, opened, lineFailed, interrupted, host.settingsFailed());
    return report;
}

QByteArray Collector::Json(const Report& r) {
    QJsonArray files;
    for (const FormArchive::Entry& e : r.files)
        files.append(QJsonObject{{"number", e.number},
                                 {"file", e.path},
                                 {"size", qint64(e.size)},
                                 {"complete", e.complete}});
    const CollectOutcomeInfo& info = CollectOutcomeOf(r.outcome);
    QJsonObject o{{"outcome", QString::fromUtf8(info.key)},
                  {"exitCode", int(r.outcome)},
                  {"meaning", QString::fromUtf8(info.meaning)},
                  {"port", r.port},
                  {"device", r.device},
                  {"speed", r.rate},
                  {"archive", r.folder},
                  {"started", r.started.toString(Qt::ISODateWithMs)},
                  {"finished", r.finished.toString(Qt::ISODateWithMs)},
                  {"seconds", r.started.msecsTo(r.finished) / 1000.0},
                  {"bytes", qint64(r.bytes)},
                  {"passes", r.passes},
                  {"formsReceived", r.forms},
                  {"forms", files}};
    if (!r.message.isEmpty()) o.insert("message", r.message);
    if (r.archiveFailure)
        o.insert("archiveFailure", QJsonObject{{"form", r.archiveFailure->number},
                                               {"reason", r.archiveFailure->reason},
                                               {"folder", r.archiveFailure->folder}});
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}
