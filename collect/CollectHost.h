#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

#include "acquisition/AcquisitionHost.h"
#include "platform/Clock.h"
#include "platform/WakeSignal.h"

class Console;
class FormArchive;
struct ReceiveControl;

// The worker's windows when there are none: its questions and failures go to standard error in
// the windows' words, the start question is answered yes, a closing report yes while passes bring
// something new (and the pass limit allows), every form goes to the archive.
class CollectHost final : public AcquisitionHost {
public:
    CollectHost(Console& console, FormArchive& archive, SettingsStrings used, QString iniPath,
                const std::atomic<std::uint64_t>& bytesRead, int maxPasses, Clock& clock)
        : m_console(console),
          m_archive(archive),
          m_used(std::move(used)),
          m_iniPath(std::move(iniPath)),
          m_bytesRead(bytesRead),
          m_maxPasses(maxPasses),
          m_clock(clock) {}

    // Set by the collector on a stop signal: no further pass is begun. Returns whether a pass
    // had begun by then; if not, none ever will.
    bool interrupt();

    // Stops the current pass when it has waited `waitMs` for its first byte without one; once
    // bytes flow, the calculator type's own silence limit ends the pass. True when it stopped.
    bool stopIfSilent(ReceiveControl& rc, std::int64_t waitMs);
    // When stopIfSilent may next stop a pass (clock time), or none while no pass waits for
    // its first byte.
    std::optional<std::int64_t> silenceDeadline(std::int64_t waitMs);
    // Raised when a pass begins, so that a watcher with no deadline learns of the new one.
    void setPassSignal(WakeSignal* signal) { m_passSignal = signal; }

    int passes() const { return m_passes.load(); }
    // Forms that brought anything, whole or cut short.
    int formsReceived() const { return m_formsReceived.load(); }
    // The worker's last failure as the operator reads it (worker thread ended by then).
    std::optional<QString> failure() const { return m_failure; }

    bool showsProgress() const override { return false; }
    void setProgressPos(int) override {}
    void stepProgress() override {}
    void setByteCounterText(const QString&) override {}
    bool setViewText(const QByteArray&) override { return true; }
    void setViewModified() override {}
    void newForm() override {}
    bool askToStart() override;
    bool askToContinue(std::int64_t count) override;
    void reportFailure(ExchangeOutcome kind, const QString& detail) override;
    SettingsStrings settingsStrings() override { return m_used; }
    bool writeSettingsFile(const SettingsStrings& strings) override;
    void formDelivered(int number, const QByteArray& cp1251, bool complete) override;

private:
    bool answerQuestion(const QString& text, bool isStart);
    void beginPass();

    Console& m_console;
    FormArchive& m_archive;
    const SettingsStrings m_used;
    const QString m_iniPath;
    const std::atomic<std::uint64_t>& m_bytesRead;
    const int m_maxPasses;
    Clock& m_clock;
    WakeSignal* m_passSignal = nullptr;

    // Whether a pass runs, and since when, change only under the lock, so that a stop meant
    // for one pass never lands on the next.
    std::mutex m_passMutex;
    bool m_interrupted = false;
    bool m_inPass = false;
    bool m_silenceStopped = false;  // this pass was stopped for its silence already
    std::int64_t m_passStartMs = 0;
    std::atomic<int> m_passes{0};
    std::atomic<int> m_formsReceived{0};
    std::uint64_t m_bytesAtPassStart = 0;
    int m_formsAtPassStart = 0;
    std::optional<QString> m_failure;
};
