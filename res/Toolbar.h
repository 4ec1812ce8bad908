#pragma once

#include <span>

#include "res/CommandIds.h"

namespace res {

constexpr int kToolbarImageWidth = 16;
constexpr int kToolbarImageHeight = 15;

// One toolbar entry; `image` names the picture in the resource file and `theme` the desktop
// theme's icon preferred over it; both empty for a separator.
struct ToolbarButton {
    unsigned command;  // ID_SEPARATOR for a separator
    const char* image;
    const char* theme;
};

// Toolbar IDR_MAINFRAME in its order; empty for other ids.
std::span<const ToolbarButton> toolbarResource(unsigned toolbarId);

}  // namespace res
