#pragma once

#include <QLabel>
#include <memory>

class ComPortDirectory;
class PortStore;
class QComboBox;

// The line under the lists of "Настройки" that names the device behind the port chosen in
// `portList` ("COM3 — FT232R USB UART, /dev/ttyUSB0", "COM2 — нет устройства"). It follows the
// operator's choice and the devices plugged in or pulled out while the dialog is open.
class PortDeviceLine : public QLabel {
    Q_OBJECT
public:
    // The devices of this machine, numbered as the per-user profile remembers them.
    PortDeviceLine(QComboBox* portList, QWidget* parent);
    // The devices `directory` finds, for tests; `directory` must outlive the line.
    PortDeviceLine(QComboBox* portList, ComPortDirectory& directory, QWidget* parent);
    ~PortDeviceLine() override;

    // Looks at the devices again.
    void refresh();

    // The line as it reads, without what keeps a path from breaking.
    const QString& line() const { return m_line; }

private:
    static QString directLine(const QString& name);
    void setLine(const QString& line);
    void follow(QComboBox* portList);
    void showPort(const QString& name);

    std::unique_ptr<PortStore> m_store;
    std::unique_ptr<ComPortDirectory> m_ownDirectory;
    ComPortDirectory* m_directory;
    QComboBox* m_portList;
    QString m_line;
};
