#pragma once

#include <QIcon>

namespace res {

// Icon IDR_MAINFRAME: the main window and the About box.
QIcon mainFrameIcon();
// Icon IDR_FORMTYPE, 32 x 32 and 16 x 16: every form window.
QIcon formTypeIcon();
// The toolbar picture of `command`: the desktop theme's icon where it has a fitting one, else
// ours. A null icon for a command without a button.
QIcon toolbarIcon(unsigned command);

}  // namespace res
