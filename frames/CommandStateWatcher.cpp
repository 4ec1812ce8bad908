#include "frames/CommandStateWatcher.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTextDocument>
#include <QTextEdit>

CommandStateWatcher::CommandStateWatcher(QMdiArea* area, ActiveEditor activeEditor, QObject* parent)
    : QObject(parent), m_area(area), m_activeEditor(std::move(activeEditor)) {
    watch(area, &QMdiArea::subWindowActivated);
    // Form windows are the viewport's children: one that opens or closes changes the list.
    area->viewport()->installEventFilter(this);
    watch(QGuiApplication::clipboard(), &QClipboard::dataChanged);
    // Also covers the search text typed in the find box: the operator comes back to the form.
    watch(qApp, &QApplication::focusChanged);
}

void CommandStateWatcher::watchVisibility(QWidget* widget) {
    widget->installEventFilter(this);
}

void CommandStateWatcher::schedule() {
    if (m_scheduled) return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &CommandStateWatcher::announce, Qt::QueuedConnection);
}

bool CommandStateWatcher::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ChildAdded:
        case QEvent::ChildRemoved:
            if (watched == m_area->viewport()) schedule();
            break;
        case QEvent::Show:
        case QEvent::Hide:
            if (watched != m_area->viewport()) schedule();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void CommandStateWatcher::announce() {
    m_scheduled = false;
    followActiveWindow();
    emit changed();
}

// Only the active form's signals matter; the others change nothing that is enabled.
void CommandStateWatcher::followActiveWindow() {
    QMdiSubWindow* window = m_area->currentSubWindow();
    QTextEdit* editor = m_activeEditor();
    if (window == m_window && editor == m_editor) return;
    for (const QMetaObject::Connection& c : m_activeConnections) disconnect(c);
    m_activeConnections.clear();
    m_window = window;
    m_editor = editor;
    const auto add = [this](const auto* sender, auto signal) {
        m_activeConnections.append(connect(sender, signal, this, &CommandStateWatcher::schedule));
    };
    if (window) add(window, &QWidget::windowTitleChanged);
    if (!editor) return;
    add(editor, &QTextEdit::copyAvailable);
    add(editor, &QTextEdit::undoAvailable);
    add(editor, &QTextEdit::redoAvailable);
    add(editor, &QTextEdit::textChanged);
    add(editor->document(), &QTextDocument::modificationChanged);
}
