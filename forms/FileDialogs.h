#pragma once

#include <QString>
#include <functional>

class QWidget;

// The Open and Save As dialogs of forms: titles "Open" and "Save As", the single filter
// "All Files (*.*)", no extension ever added. An empty result means the operator cancelled.
QString openFormPath(QWidget* owner);
QString saveFormPath(QWidget* owner, const QString& proposed);

// Tests choose the path here: while a hook is set, no dialog is shown and the hook answers.
using FileDialogHook = std::function<QString(bool saving, const QString& proposed)>;
void setFileDialogHook(FileDialogHook hook);
