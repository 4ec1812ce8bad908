#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "acquisition/AcquisitionHost.h"
#include "res/MessageStyle.h"

// The windows as a list: every call of the worker is recorded in order, its questions and
// failures as the message boxes the windows show for them (same texts, same styles), the
// questions answered from a script, and the forms opened during the exchange are kept as texts.
// Form 0 is the form that was open before the exchange started. Safe to call from the
// worker's thread while a test's thread reads it.
class RecordingHost : public AcquisitionHost {
public:
    enum class Kind {
        SetProgressPos,
        StepProgress,
        SetByteCounterText,
        SetViewText,
        SetViewModified,
        NewForm,
        MessageBox,
        SettingsStrings,
        WriteSettingsFile,
    };
    // What formDelivered was given: "1 ABC" for a form cut short, "1 ABC end" for a whole one.
    struct Delivered {
        int number;
        QByteArray text;
        bool complete;
    };
    struct Call {
        Kind kind;
        int pos = 0;      // SetProgressPos
        QString text;     // SetByteCounterText, MessageBox
        QByteArray view;  // SetViewText
        unsigned style = 0;
        int answer = 0;                          // MessageBox's answer, SetViewText's result
        std::optional<ExchangeOutcome> failure;  // MessageBox of a reported failure
    };
    using Answerer = std::function<int(const QString& text, unsigned style)>;

    // Answers in order; when they run out, the answerer decides, else `defaultAnswer`.
    void answer(std::initializer_list<int> answers);
    void setAnswerer(Answerer answerer);
    void setDefaultAnswer(int answer);
    void setWriteSettingsResult(bool ok);
    void setSettings(const SettingsStrings& strings);
    // The form limit the host asks for; 0, the default, leaves the assembler's own.
    void setFormLimit(qsizetype bytes) { m_formLimit = bytes; }
    // The receiving view is destroyed: deliveries fail until a new form is made.
    void closeView();
    // Runs `action` on the caller's thread after a call of `kind` has been recorded.
    void on(Kind kind, std::function<void(const Call&)> action);

    std::vector<Call> calls() const;
    std::vector<Call> callsOf(Kind kind) const;
    // The calls as short lines ("progress 0", "counter 0 байт прочитано", "view ABC",
    // "modified", "new", "box <text>", "step", "settings", "write"), view texts as Latin-1.
    QStringList trace() const;
    QStringList messages() const;
    std::vector<QByteArray> forms() const;
    std::vector<bool> modifiedForms() const;
    std::vector<SettingsStrings> written() const;
    QStringList delivered() const;

    // AcquisitionHost
    qsizetype formLimit() const override { return m_formLimit; }
    void setProgressPos(int pos) override;
    void stepProgress() override;
    void setByteCounterText(const QString& text) override;
    bool setViewText(const QByteArray& cp1251) override;
    void setViewModified() override;
    void newForm() override;
    bool askToStart() override;
    bool askToContinue(std::int64_t count) override;
    void reportFailure(ExchangeOutcome kind, const QString& detail) override;
    SettingsStrings settingsStrings() override;
    bool writeSettingsFile(const SettingsStrings& strings) override;
    void formDelivered(int number, const QByteArray& cp1251, bool complete) override;

private:
    void record(Call call);
    qsizetype m_formLimit = 0;
    int messageBox(const QString& text, unsigned style, std::optional<ExchangeOutcome> failure);

    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
    std::deque<int> m_answers;
    Answerer m_answerer;
    int m_defaultAnswer = msg::IDNO;
    bool m_writeOk = true;
    SettingsStrings m_settings{"COM1", "КСМ-Р", "9600"};
    std::vector<SettingsStrings> m_written;
    QStringList m_delivered;
    std::vector<QByteArray> m_forms{QByteArray()};
    std::vector<bool> m_modified{false};
    std::size_t m_view = 0;
    bool m_viewLive = true;
    std::multimap<Kind, std::function<void(const Call&)>> m_actions;
};
