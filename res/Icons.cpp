#include "res/Icons.h"

#include "res/CommandIds.h"
#include "res/Toolbar.h"

namespace res {

QIcon mainFrameIcon() {
    return QIcon(QStringLiteral(":/icons/mainframe.png"));
}

QIcon formTypeIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/formtype-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/formtype-16.png"), QSize(16, 16));
    return icon;
}

QIcon toolbarIcon(unsigned command) {
    for (const ToolbarButton& b : toolbarResource(id::IDR_MAINFRAME)) {
        if (b.command == command && b.command != id::ID_SEPARATOR)
            return QIcon::fromTheme(QString::fromLatin1(b.theme),
                                    QIcon(QString::fromLatin1(b.image)));
    }
    return QIcon();
}

}  // namespace res
