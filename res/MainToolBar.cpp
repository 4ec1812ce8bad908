#include "res/MainToolBar.h"

#include <QToolBar>

#include "res/CommandActions.h"
#include "res/Strings.h"
#include "res/Toolbar.h"

QToolBar* buildMainToolBar(const CommandActions& commands, QWidget* parent) {
    auto* bar = new QToolBar(parent);
    bar->setWindowTitle(res::commandTooltip(id::ID_VIEW_TOOLBAR));
    bar->setIconSize(QSize(res::kToolbarImageWidth, res::kToolbarImageHeight));
    for (const res::ToolbarButton& button : res::toolbarResource(id::IDR_MAINFRAME)) {
        if (button.command == id::ID_SEPARATOR)
            bar->addSeparator();
        else if (QAction* action = commands.action(button.command))
            bar->addAction(action);
    }
    return bar;
}
