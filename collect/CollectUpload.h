#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>
#include <atomic>
#include <optional>

#include "collect/CollectOptions.h"
#include "collect/CollectRound.h"
#include "platform/WakeSignal.h"
#include "store/StoreUploader.h"

class Console;

// tabulon-collect's part in the common archive: with a store set, the archives it wrote to send
// their backlog before the program exits, for a bounded time; what is left is said, and the next
// run or `--upload` sends it. Without a store nothing happens.
namespace CollectUpload {

// Nothing when no store is set. An address that is refused is told and sends nothing.
std::optional<StoreUploader::Report> send(const QStringList& roots, int waitSeconds,
                                          Console& console, const std::atomic<int>& stop,
                                          const WakeSignal* wake);
// The archive the options name: --out, else the profile's.
QString rootOf(const CollectOptions& options);
// Every archive the round wrote to.
QStringList rootsOf(const CollectRound::Result& result);
QJsonObject json(const StoreUploader::Report& report);

// `--upload`: the exit status and the report for --json.
struct Drained {
    CollectOutcome outcome;
    QByteArray json;
};
Drained drainOnly(const CollectOptions& options, Console& console, const std::atomic<int>& stop,
                  const WakeSignal* wake);

}  // namespace CollectUpload
