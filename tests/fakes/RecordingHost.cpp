#include "tests/fakes/RecordingHost.h"

#include "res/Texts.h"

void RecordingHost::answer(std::initializer_list<int> answers) {
    std::lock_guard lock(m_mutex);
    m_answers.insert(m_answers.end(), answers);
}

void RecordingHost::setAnswerer(Answerer answerer) {
    std::lock_guard lock(m_mutex);
    m_answerer = std::move(answerer);
}

void RecordingHost::setDefaultAnswer(int answer) {
    std::lock_guard lock(m_mutex);
    m_defaultAnswer = answer;
}

void RecordingHost::setWriteSettingsResult(bool ok) {
    std::lock_guard lock(m_mutex);
    m_writeOk = ok;
}

void RecordingHost::setSettings(const SettingsStrings& strings) {
    std::lock_guard lock(m_mutex);
    m_settings = strings;
}

void RecordingHost::closeView() {
    std::lock_guard lock(m_mutex);
    m_viewLive = false;
}

void RecordingHost::on(Kind kind, std::function<void(const Call&)> action) {
    std::lock_guard lock(m_mutex);
    m_actions.emplace(kind, std::move(action));
}

void RecordingHost::record(Call call) {
    std::vector<std::function<void(const Call&)>> actions;
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(call);
        auto [first, last] = m_actions.equal_range(call.kind);
        for (auto it = first; it != last; ++it) actions.push_back(it->second);
    }
    // Outside the lock: an action may well look at the record itself.
    for (const auto& action : actions) action(call);
}

std::vector<RecordingHost::Call> RecordingHost::calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

std::vector<RecordingHost::Call> RecordingHost::callsOf(Kind kind) const {
    std::vector<Call> result;
    for (const Call& call : calls())
        if (call.kind == kind) result.push_back(call);
    return result;
}

QStringList RecordingHost::trace() const {
    QStringList lines;
    for (const Call& call : calls()) {
        switch (call.kind) {
            case Kind::SetProgressPos:
                lines << QStringLiteral("progress %1").arg(call.pos);
                break;
            case Kind::StepProgress:
                lines << QStringLiteral("step");
                break;
            case Kind::SetByteCounterText:
                lines << QStringLiteral("counter ") + call.text;
                break;
            case Kind::SetViewText:
                lines << QStringLiteral("view ") + QString::fromLatin1(call.view) +
                             (call.answer ? QString() : QStringLiteral(" (no view)"));
                break;
            case Kind::SetViewModified:
                lines << QStringLiteral("modified");
                break;
            case Kind::NewForm:
                lines << QStringLiteral("new");
                break;
            case Kind::MessageBox:
                lines << QStringLiteral("box ") + call.text;
                break;
            case Kind::SettingsStrings:
                lines << QStringLiteral("settings");
                break;
            case Kind::WriteSettingsFile:
                lines << QStringLiteral("write");
                break;
        }
    }
    return lines;
}

QStringList RecordingHost::messages() const {
    QStringList texts;
    for (const Call& call : callsOf(Kind::MessageBox)) texts << call.text;
    return texts;
}

std::vector<QByteArray> RecordingHost::forms() const {
    std::lock_guard lock(m_mutex);
    return m_forms;
}

std::vector<bool> RecordingHost::modifiedForms() const {
    std::lock_guard lock(m_mutex);
    return m_modified;
}

std::vector<AcquisitionHost::SettingsStrings> RecordingHost::written() const {
    std::lock_guard lock(m_mutex);
    return m_written;
}

void RecordingHost::setProgressPos(int pos) {
    record({Kind::SetProgressPos, pos, {}, {}, 0, 0, {}});
}

void RecordingHost::stepProgress() {
    record({Kind::StepProgress, 0, {}, {}, 0, 0, {}});
}

void RecordingHost::setByteCounterText(const QString& text) {
    record({Kind::SetByteCounterText, 0, text, {}, 0, 0, {}});
}

bool RecordingHost::setViewText(const QByteArray& cp1251) {
    bool live;
    {
        std::lock_guard lock(m_mutex);
        live = m_viewLive;
        if (live) m_forms[m_view] = cp1251;
    }
    record({Kind::SetViewText, 0, {}, cp1251, 0, live ? 1 : 0, {}});
    return live;
}

void RecordingHost::setViewModified() {
    {
        std::lock_guard lock(m_mutex);
        if (m_viewLive) m_modified[m_view] = true;
    }
    record({Kind::SetViewModified, 0, {}, {}, 0, 0, {}});
}

void RecordingHost::newForm() {
    {
        std::lock_guard lock(m_mutex);
        m_forms.emplace_back();
        m_modified.push_back(false);
        m_view = m_forms.size() - 1;
        m_viewLive = true;
    }
    record({Kind::NewForm, 0, {}, {}, 0, 0, {}});
}

bool RecordingHost::askToStart() {
    return messageBox(texts::kStartQuestion, msg::MB_YESNO | msg::MB_ICONQUESTION, {}) ==
           msg::IDYES;
}

bool RecordingHost::askToContinue(std::int64_t count) {
    return messageBox(texts::closingReportText(count), msg::MB_YESNO | msg::MB_ICONQUESTION, {}) ==
           msg::IDYES;
}

void RecordingHost::reportFailure(ExchangeOutcome kind, const QString& detail) {
    messageBox(failureText(kind, detail), msg::MB_OK, kind);
}

int RecordingHost::messageBox(const QString& text, unsigned style,
                              std::optional<ExchangeOutcome> failure) {
    int reply;
    Answerer answerer;
    {
        std::lock_guard lock(m_mutex);
        reply = m_defaultAnswer;
        if (!m_answers.empty()) {
            reply = m_answers.front();
            m_answers.pop_front();
        } else {
            answerer = m_answerer;
        }
    }
    if (answerer) reply = answerer(text, style);
    record({Kind::MessageBox, 0, text, {}, style, reply, failure});
    return reply;
}

AcquisitionHost::SettingsStrings RecordingHost::settingsStrings() {
    SettingsStrings strings;
    {
        std::lock_guard lock(m_mutex);
        strings = m_settings;
    }
    record({Kind::SettingsStrings, 0, {}, {}, 0, 0, {}});
    return strings;
}

bool RecordingHost::writeSettingsFile(const SettingsStrings& strings) {
    bool ok;
    {
        std::lock_guard lock(m_mutex);
        ok = m_writeOk;
        m_written.push_back(strings);
    }
    record({Kind::WriteSettingsFile, 0, {}, {}, 0, 0, {}});
    return ok;
}

void RecordingHost::formDelivered(int number, const QByteArray& cp1251, bool complete) {
    std::lock_guard lock(m_mutex);
    m_delivered << QStringLiteral("%1 %2%3")
                       .arg(number)
                       .arg(QString::fromLatin1(cp1251))
                       .arg(complete ? QStringLiteral(" end") : QString());
}

QStringList RecordingHost::delivered() const {
    std::lock_guard lock(m_mutex);
    return m_delivered;
}
