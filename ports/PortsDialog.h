#pragma once

#include <QDialog>
#include <memory>

class ComPortDirectory;
class QTreeWidgetItem;
namespace Ui {
class PortsDialog;
}

// "Порты": every serial device of the machine with its COM number, plugged in or remembered.
// The operator gives a device another free number, or frees the number of a device that is gone,
// or gives a free number the address of a network serial server.
// The list follows the devices as they come and go while the window is open.
class PortsDialog : public QDialog {
    Q_OBJECT
public:
    PortsDialog(ComPortDirectory& directory, QWidget* parent = nullptr);
    ~PortsDialog() override;

    // Looks at the machine's devices again and shows them.
    void refresh();

    // Shows the dialog over `owner` for the machine's own devices and the operator's profile,
    // watching the devices while it is open.
    static void showModal(QWidget* owner);

private:
    void fill();
    void updateActions();
    void moveSelected();
    void releaseSelected();
    void assignAddress();
    QString selectedKey() const;

    ComPortDirectory& m_directory;
    std::unique_ptr<Ui::PortsDialog> m_ui;
};
