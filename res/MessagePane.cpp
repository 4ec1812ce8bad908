#include "res/MessagePane.h"

#include <QApplication>
#include <QMenu>
#include <QStatusTipEvent>

#include "res/Strings.h"

namespace {

// An empty tip while a menu item is highlighted is that item's empty prompt; otherwise it
// says the pointer has left the item.
bool MenuItemHighlighted() {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    return menu && menu->activeAction() && !menu->activeAction()->isSeparator();
}

}  // namespace

MessagePane::MessagePane(QWidget* mainWindow) : QLabel(mainWindow) {
    setObjectName(QStringLiteral("ID_SEPARATOR"));
    setTextFormat(Qt::PlainText);
    showIdle();
    mainWindow->installEventFilter(this);
}

void MessagePane::showIdle() {
    setText(res::LoadString(id::AFX_IDS_IDLEMESSAGE));
}

bool MessagePane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        showTip(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QLabel::eventFilter(watched, event);
}

void MessagePane::showTip(const QString& tip) {
    if (!tip.isEmpty() || MenuItemHighlighted())
        setText(tip);
    else
        showIdle();
}
