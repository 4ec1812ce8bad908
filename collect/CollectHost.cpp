#include "collect/CollectHost.h"

#include "acquisition/ReceiveControl.h"
#include "archive/FormArchive.h"
#include "collect/Console.h"
#include "res/MessageStyle.h"
#include "res/Texts.h"
#include "settings/SettingsFile.h"

namespace {

QString oneLine(QString text) {
    text.replace(u'\n', u' ');
    return text.trimmed();
}

}  // namespace

bool CollectHost::interrupt() {
    std::lock_guard lock(m_passMutex);
    m_interrupted = true;
    return m_passes.load() > 0;
}

bool CollectHost::stopIfSilent(ReceiveControl& rc, std::int64_t waitMs) {
    std::lock_guard lock(m_passMutex);
    if (!m_inPass || m_bytesRead.load() != m_bytesAtPassStart ||
        m_clock.nowMs() - m_passStartMs < waitMs)
        return false;
    m_silenceStopped = true;
    rc.requestStop();
    return true;
}

std::optional<std::int64_t> CollectHost::silenceDeadline(std::int64_t waitMs) {
    std::lock_guard lock(m_passMutex);
    if (!m_inPass || m_silenceStopped || m_bytesRead.load() != m_bytesAtPassStart)
        return std::nullopt;
    return m_passStartMs + waitMs;
}

void CollectHost::beginPass() {
    m_bytesAtPassStart = m_bytesRead.load();
    m_formsAtPassStart = m_formsReceived.load();
    m_passStartMs = m_clock.nowMs();
    m_passes.fetch_add(1);
    m_inPass = true;
    m_silenceStopped = false;
    if (m_passSignal) m_passSignal->raise();
}

bool CollectHost::answerQuestion(const QString& text, bool isStart) {
    std::lock_guard lock(m_passMutex);
    m_inPass = false;
    bool yes = !m_interrupted;
    if (!isStart) {
        // Pass end: another one only while the line still has something to say.
        const bool somethingNew = m_bytesRead.load() != m_bytesAtPassStart ||
                                  m_formsReceived.load() != m_formsAtPassStart;
        yes = yes && somethingNew && (m_maxPasses == 0 || m_passes.load() < m_maxPasses);
    }
    m_console.line(oneLine(text) + u' ' + (yes ? texts::kYes : texts::kNo));
    if (yes) beginPass();
    return yes;
}

bool CollectHost::askToStart() {
    return answerQuestion(texts::kStartQuestion, true);
}

bool CollectHost::askToContinue(std::int64_t count) {
    return answerQuestion(texts::closingReportText(count), false);
}

void CollectHost::reportFailure(ExchangeOutcome kind, const QString& detail) {
    {
        std::lock_guard lock(m_passMutex);
        m_inPass = false;
    }
    m_failure = failureText(kind, detail);
    m_console.line(oneLine(*m_failure));
}

bool CollectHost::writeSettingsFile(const SettingsStrings& s) {
    return WriteSettingsFile(m_iniPath, s.port, s.device, s.rate,
                             [this](const QString& text, unsigned) {
                                 m_console.line(oneLine(text));
                                 return msg::IDOK;
                             });
}

void CollectHost::formDelivered(int number, const QByteArray& cp1251, bool complete) {
    if (!complete && cp1251.isEmpty()) return;  // a pass that brought nothing
    m_archive.add(number, cp1251, complete);
    m_formsReceived.store(number);
}
