#include "collect/CollectUpload.h"

#include <QJsonDocument>

#include "archive/ArchiveSettings.h"
#include "collect/Console.h"
#include "res/Texts.h"
#include "store/StoreAddress.h"

namespace CollectUpload {

std::optional<StoreUploader::Report> send(const QStringList& roots, int waitSeconds,
                                          Console& console, const std::atomic<int>& stop,
                                          const WakeSignal* wake) {
    const StoreAddress address = StoreAddress::find();
    if (!address.error.isEmpty()) console.line(address.error);
    if (!address.configured()) return std::nullopt;
    StoreUploader::Report total;
    SteadyClock clock;
    for (const QString& root : roots) {
        StoreUploader uploader(address, root, clock);
        uploader.setStop(&stop, wake);
        uploader.setLog([&console](const QString& text) { console.line(text); });
        const StoreUploader::Report r = uploader.drain(std::int64_t{waitSeconds} * 1000);
        total.formsSent += r.formsSent;
        total.recordsSent += r.recordsSent;
        total.formsLeft += r.formsLeft;
        total.recordsLeft += r.recordsLeft;
        if (!r.failure.isEmpty()) total.failure = r.failure;
    }
    console.line(texts::kStoreUploaded.arg(total.formsSent)
                     .arg(total.recordsSent)
                     .arg(total.formsLeft)
                     .arg(total.recordsLeft));
    return total;
}

QString rootOf(const CollectOptions& options) {
    return options.folder.value_or(ArchiveSettings::load().folder);
}

QStringList rootsOf(const CollectRound::Result& result) {
    QStringList roots;
    for (const CollectRound::SiteRun& run : result.runs) {
        const QString root =
            run.report.archiveRoot.isEmpty() ? run.report.folder : run.report.archiveRoot;
        if (run.tries > 0 && !root.isEmpty() && !roots.contains(root)) roots.append(root);
    }
    return roots;
}

QJsonObject json(const StoreUploader::Report& r) {
    QJsonObject o{{"formsSent", r.formsSent},
                  {"recordsSent", r.recordsSent},
                  {"formsLeft", r.formsLeft},
                  {"recordsLeft", r.recordsLeft}};
    if (!r.failure.isEmpty()) o.insert("failure", r.failure);
    return o;
}

Drained drainOnly(const CollectOptions& options, Console& console, const std::atomic<int>& stop,
                  const WakeSignal* wake) {
    const StoreAddress address = StoreAddress::find();
    std::optional<StoreUploader::Report> report;
    if (address.configured())
        report = send({rootOf(options)}, options.uploadWaitSeconds, console, stop, wake);
    else
        console.line(address.error.isEmpty() ? texts::kStoreNotConfigured : address.error);
    const CollectOutcome outcome = !report              ? CollectOutcome::Usage
                                   : report->complete() ? CollectOutcome::FormsReceived
                                                        : CollectOutcome::UploadIncomplete;
    const CollectOutcomeInfo& info = collectOutcomeOf(outcome);
    QJsonObject o{{"outcome", QString::fromUtf8(info.key)},
                  {"exitCode", int(outcome)},
                  {"meaning", info.meaning}};
    if (report) o.insert("store", json(*report));
    return {outcome, QJsonDocument(o).toJson(QJsonDocument::Indented)};
}

}  // namespace CollectUpload
