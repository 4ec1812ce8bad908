#include "frames/MessagePane.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QStatusTipEvent>

#include "res/Strings.h"

namespace {

// An empty tip while a menu item is pointed at is that item's empty prompt; otherwise it says
// the pointer has left the item. Qt does not highlight grayed items, so the pointer tells those.
bool menuItemPointedAt() {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return false;
    const QAction* item = menu->activeAction();
    if (!item) item = menu->actionAt(menu->mapFromGlobal(QCursor::pos()));
    return item && !item->isSeparator();
}

}  // namespace

MessagePane::MessagePane(QWidget* mainWindow) : QLabel(mainWindow) {
    setTextFormat(Qt::PlainText);
    showIdle();
    mainWindow->installEventFilter(this);
}

void MessagePane::showIdle() {
    setText(res::loadString(id::AFX_IDS_IDLEMESSAGE));
}

bool MessagePane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        showTip(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QLabel::eventFilter(watched, event);
}

void MessagePane::showTip(const QString& tip) {
    if (!tip.isEmpty() || menuItemPointedAt())
        setText(tip);
    else
        showIdle();
}
