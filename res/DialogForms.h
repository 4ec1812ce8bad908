#pragma once

// The generated classes of the dialog templates: Ui::AboutDlg (IDD_ABOUTBOX) and Ui::ProgressBar
// (IDD_PROGRESS_BAR, the progress strip). Include this header rather than the generated ones.
#include "ui_AboutDlg.h"
#include "ui_ProgressBar.h"
