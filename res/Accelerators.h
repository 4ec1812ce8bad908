#pragma once

#include <QKeyCombination>
#include <span>

#include "res/CommandIds.h"

namespace res {

struct Accelerator {
    QKeyCombination key;
    unsigned command;
    bool noInvert;  // kept from the table; a Qt menu has no highlight to suppress
};

// Accelerator table `tableId` in its order; only IDR_MAINFRAME exists, and it stays in force
// whether or not a form window is active. Empty for other ids.
std::span<const Accelerator> acceleratorTable(unsigned tableId);

}  // namespace res
