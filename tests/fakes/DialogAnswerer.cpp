#include "tests/fakes/DialogAnswerer.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QThread>
#include <QTimer>

#include "res/MessageBox.h"

DialogAnswerer::DialogAnswerer(Boxes boxes) : m_scripted(boxes == Boxes::Scripted) {
    if (m_scripted)
        setMessageBoxHook([this](const QString& text, unsigned style) {
            return answerBox(text, style);
        });
    qApp->installEventFilter(this);
}

DialogAnswerer::~DialogAnswerer() {
    qApp->removeEventFilter(this);
    if (m_scripted) setMessageBoxHook({});
}

void DialogAnswerer::answer(const QString& prefix, int answer) {
    for (auto& entry : m_prefixAnswers)
        if (entry.first == prefix) {
            entry.second = answer;
            return;
        }
    m_prefixAnswers.append({prefix, answer});
}

void DialogAnswerer::answerInOrder(std::deque<int> answers) {
    m_inOrder = std::move(answers);
}

void DialogAnswerer::setFallback(int answer) {
    m_fallback = answer;
}

void DialogAnswerer::answerWith(std::function<int(const QString&, unsigned)> rule) {
    m_rule = std::move(rule);
}

void DialogAnswerer::noteWindow(std::function<const QWidget*()> window) {
    m_window = std::move(window);
}

bool DialogAnswerer::sent(const QString& prefix) const {
    for (const Box& box : boxes)
        if (box.text.startsWith(prefix)) return true;
    return false;
}

QStringList DialogAnswerer::texts() const {
    QStringList texts;
    for (const Box& box : boxes) texts << box.text;
    return texts;
}

int DialogAnswerer::answerBox(const QString& text, unsigned style) {
    const QWidget* window = m_window ? m_window() : nullptr;
    boxes.append({text, style, QThread::currentThread() == qApp->thread(),
                  window ? window->isEnabled() : true});
    if (m_rule)
        if (const int answer = m_rule(text, style); answer != -1) return answer;
    if (!m_inOrder.empty()) {
        const int answer = m_inOrder.front();
        m_inOrder.pop_front();
        return answer;
    }
    for (const auto& [prefix, answer] : m_prefixAnswers)
        if (text.startsWith(prefix)) return answer;
    if (m_fallback != -1) return m_fallback;
    return (style & msg::MB_TYPEMASK) == msg::MB_OK ? msg::IDOK : msg::IDCANCEL;
}

void DialogAnswerer::whenShown(const QString& name, std::function<void(QDialog*)> act) {
    m_actions.removeIf([&](const auto& entry) { return entry.first == name; });
    if (act) m_actions.append({name, std::move(act)});
}

const std::function<void(QDialog*)>* DialogAnswerer::actionFor(const QDialog* dialog) const {
    // The latest given wins, so a test may narrow "QDialog" with a name of its own.
    for (auto it = m_actions.crbegin(); it != m_actions.crend(); ++it)
        if (dialog->objectName() == it->first || dialog->inherits(it->first.toLatin1()))
            return &it->second;
    return nullptr;
}

bool DialogAnswerer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show) return false;
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (!dialog || !dialog->isWindow() || !dialog->isModal()) return false;
    // Run once the dialog's own event loop does, as the operator would answer it. The action
    // is copied, so that it may give another in its place while it runs.
    std::function<void(QDialog*)> act;
    if (const auto* given = actionFor(dialog)) act = *given;
    QTimer::singleShot(0, dialog, [dialog, act] {
        if (act) {
            act(dialog);
            return;
        }
        reportUnansweredDialog(
            QStringLiteral("a modal dialog nobody answers: %1 \"%2\" titled \"%3\"")
                .arg(QString::fromLatin1(dialog->metaObject()->className()), dialog->objectName(),
                     dialog->windowTitle()));
        dialog->reject();
    });
    return false;
}
