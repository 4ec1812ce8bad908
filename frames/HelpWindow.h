#pragma once

#include <QTextBrowser>

// The manual in a window of its own, opened at its contents page.
class HelpWindow : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the manual at `contentsPath` (a file path or a qrc: path). When the manual cannot be
    // found the operator is told "Failed to launch help." and false is returned.
    bool showContents(const QString& contentsPath);
};
