#pragma once

#include <QLabel>

// The first pane of the status bar: the idle message "Ready", or the prompt of the menu item or
// toolbar button pointed at. Installed on the main window, it takes over the window's status-tip
// events: a status bar's own message cannot tell an item without a prompt (the pane goes empty)
// from leaving the item (back to "Ready").
class MessagePane : public QLabel {
    Q_OBJECT
public:
    explicit MessagePane(QWidget* mainWindow);

    void showIdle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTip(const QString& tip);
};
