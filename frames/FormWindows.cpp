#include "frames/FormWindows.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "frames/CommandRouter.h"
#include "res/CommandIds.h"
#include "res/CommandMenu.h"
#include "res/Icons.h"

FormWindows::FormWindows(QMdiArea* area, ReceiveControl& block, QWidget* frame)
    : QObject(frame), m_frame(frame), m_area(area) {
    m_template = new CFormTemplate(m_area, &block, this);
    m_template->setFormIcon(res::formTypeIcon());
}

bool FormWindows::anyForm() const {
    return !m_template->documents().isEmpty();
}

CTabulonPlusDoc* FormWindows::liveActiveDocument() const {
    CTabulonPlusDoc* doc = m_template->activeDocument();
    return doc && m_template->documents().contains(doc) && m_template->activeView() ? doc : nullptr;
}

CTabulonPlusView* FormWindows::liveActiveView() const {
    return liveActiveDocument() ? m_template->activeView() : nullptr;
}

void FormWindows::openInFront(const QString& path) {
    if (!m_template->openDocumentFile(path)) return;
    m_frame->raise();
    m_frame->activateWindow();
}

void FormWindows::addCommands(CommandRouter& commands) {
    commands.addMemberCommands(CTabulonPlusView::commands(), [this] { return liveActiveView(); });
    commands.addMemberCommands(CTabulonPlusDoc::commands(),
                               [this] { return liveActiveDocument(); });
    const auto anyForm = [this] { return this->anyForm(); };
    commands.add(
        id::ID_WINDOW_NEW, [this] { m_template->onWindowNew(); },
        [this] { return liveActiveDocument() != nullptr; });
    commands.add(
        id::ID_WINDOW_CASCADE, [this] { m_area->cascadeSubWindows(); }, anyForm);
    commands.add(
        id::ID_WINDOW_TILE_HORZ, [this] { m_area->tileSubWindows(); }, anyForm);
    commands.add(
        id::ID_WINDOW_ARRANGE, [this] { arrangeIcons(); }, anyForm);
}

void FormWindows::listWindowsIn(CommandMenu* menu) {
    m_windowMenu = menu;
    if (QMenu* windows = menu->windowMenu())
        connect(windows, &QMenu::aboutToShow, this, &FormWindows::fillWindowMenu);
}

void FormWindows::fillWindowMenu() {
    for (QAction* a : m_windowListActions) a->deleteLater();
    m_windowListActions.clear();
    int number = 1;
    for (QMdiSubWindow* w : m_area->subWindowList()) {
        QString title = w->windowTitle();
        title.remove(QLatin1String("[*]"));
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(number++).arg(title), m_frame);
        a->setCheckable(true);
        a->setChecked(w == m_area->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w = QPointer<QMdiSubWindow>(w)] {
            if (w) m_area->setActiveSubWindow(w);
        });
        m_windowListActions.append(a);
    }
    m_windowMenu->setWindowList(m_windowListActions);
}

void FormWindows::arrangeIcons() {
    // Minimized windows line up along the bottom edge of the area, left to right.
    int x = 0;
    for (QMdiSubWindow* w : m_area->subWindowList()) {
        if (!w->isMinimized()) continue;
        w->move(x, m_area->viewport()->height() - w->height());
        x += w->width();
    }
}

void FormWindows::updateTitle() {
    QString title = QStringLiteral("Tabulon");
    QMdiSubWindow* active = m_area->currentSubWindow();
    if (liveActiveDocument() && active)
        title += QStringLiteral(" - ") + active->windowTitle().remove(QStringLiteral("[*]"));
    if (m_frame->windowTitle() != title) m_frame->setWindowTitle(title);
}
