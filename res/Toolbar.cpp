#include "res/Toolbar.h"

namespace res {
namespace {

using namespace id;

constexpr ToolbarButton kMainFrame[] = {
    {ID_FILE_NEW, ":/toolbar/new.png", "document-new"},
    {ID_FILE_OPEN, ":/toolbar/open.png", "document-open"},
    {ID_FILE_SAVE, ":/toolbar/save.png", "document-save"},
    {ID_SEPARATOR, "", ""},
    {ID_EDIT_CUT, ":/toolbar/cut.png", "edit-cut"},
    {ID_EDIT_COPY, ":/toolbar/copy.png", "edit-copy"},
    {ID_EDIT_PASTE, ":/toolbar/paste.png", "edit-paste"},
    {ID_SEPARATOR, "", ""},
    {ID_FILE_PRINT, ":/toolbar/print.png", "document-print"},
    {ID_SEPARATOR, "", ""},
    {ID_APP_ABOUT, ":/toolbar/about.png", "help-about"},
};
}  // namespace

std::span<const ToolbarButton> toolbarResource(unsigned toolbarId) {
    return toolbarId == IDR_MAINFRAME ? std::span<const ToolbarButton>(kMainFrame)
                                      : std::span<const ToolbarButton>();
}

}  // namespace res
