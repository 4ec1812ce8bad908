#pragma once

#include "archive/ArchiveSettings.h"

class QWidget;

// The dialog "Архив": whether received forms are archived, the folder and the name template.
// Accepted values go to the per-user profile at once.
class ArchiveDialog {
public:
    // Shows the dialog over `owner` with the profile's values; msg::IDOK when the operator
    // accepted and the values were stored, msg::IDCANCEL otherwise.
    static int showModal(QWidget* owner = nullptr);
};
