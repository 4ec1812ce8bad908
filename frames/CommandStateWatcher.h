#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <functional>

class QMdiArea;
class QMdiSubWindow;
class QTextEdit;
class QWidget;

// Tells the command router when the enabling of the commands may have changed, from the signals of
// everything that enabling reads: the active form window (its selection, undo and redo, text,
// modification and title), the form windows coming and going, the clipboard, the keyboard
// focus, and what the frame adds with watch() and watchVisibility(). Nothing is polled, so the
// idle program sleeps. All the signals of one pass of the event loop give one `changed`, after
// the pass, when a window being closed has left the area's list.
class CommandStateWatcher : public QObject {
    Q_OBJECT
public:
    using ActiveEditor = std::function<QTextEdit*()>;

    CommandStateWatcher(QMdiArea* area, ActiveEditor activeEditor, QObject* parent = nullptr);

    template <typename Sender, typename Signal>
    void watch(const Sender* sender, Signal signal) {
        connect(sender, signal, this, &CommandStateWatcher::schedule);
    }
    // A widget shown or hidden (a bar whose command carries a check mark).
    void watchVisibility(QWidget* widget);

    // Asks for one `changed` after the current pass of the event loop.
    void schedule();

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void announce();
    void followActiveWindow();

    QMdiArea* m_area;
    ActiveEditor m_activeEditor;
    QPointer<QMdiSubWindow> m_window;
    QPointer<QTextEdit> m_editor;
    QList<QMetaObject::Connection> m_activeConnections;
    bool m_scheduled = false;
};
