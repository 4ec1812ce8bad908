#pragma once

#include <functional>

#include "archive/ArchiveSettings.h"

class QDialog;
class QWidget;

// The dialog "Архив": whether received forms are archived, the folder and the name template.
// Accepted values go to the per-user profile at once.
class ArchiveDialog {
public:
    // Shows the dialog over `owner` with the profile's values; msg::IDOK when the operator
    // accepted and the values were stored, msg::IDCANCEL otherwise.
    static int showModal(QWidget* owner = nullptr);

    // Called with the live dialog once it is shown, so that tests can fill and close it.
    using ShownHook = std::function<void(QDialog* dialog)>;
    static void setShownHook(ShownHook hook);
};
