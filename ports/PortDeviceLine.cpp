#include "ports/PortDeviceLine.h"

#include <QComboBox>
#include <QFileInfo>

#include "platform/NetworkAddress.h"
#include "ports/ComPortDirectory.h"
#include "ports/DeviceWatcher.h"
#include "ports/PortTexts.h"
#include "res/Texts.h"

PortDeviceLine::PortDeviceLine(QComboBox* portList, QWidget* parent)
    : QLabel(parent),
      m_store(std::make_unique<PortStore>()),
      m_ownDirectory(std::make_unique<ComPortDirectory>(*m_store)),
      m_directory(m_ownDirectory.get()),
      m_portList(portList) {
    auto* watcher = new DeviceWatcher(this);
    connect(watcher, &DeviceWatcher::devicesChanged, this, &PortDeviceLine::refresh);
    follow(portList);
}

PortDeviceLine::PortDeviceLine(QComboBox* portList, ComPortDirectory& directory, QWidget* parent)
    : QLabel(parent), m_directory(&directory), m_portList(portList) {
    follow(portList);
}

PortDeviceLine::~PortDeviceLine() = default;

void PortDeviceLine::follow(QComboBox* portList) {
    setObjectName(QStringLiteral("portDevice"));
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(portList, &QComboBox::currentTextChanged, this, &PortDeviceLine::showPort);
    refresh();
}

void PortDeviceLine::refresh() {
    m_directory->refresh();
    showPort(m_portList->currentText());
}

void PortDeviceLine::showPort(const QString& name) {
    const int com = comNumberOf(name.toStdString());
    if (com == 0) {
        setLine(name.isEmpty() ? QString() : directLine(name));
        return;
    }
    const ComTarget target = m_directory->target(com);
    setLine(porttext::deviceLine(name, target,
                                 m_directory->rememberedDescription(target.rememberedKey)));
}

// A device path or a network address typed in place of a COM number is shown as it is: only a
// path where nothing is says so. The connect command tells anything else that is wrong.
QString PortDeviceLine::directLine(const QString& name) {
    if (isNetworkAddress(name.toStdString()) || QFileInfo::exists(name)) return name;
    return name + QStringLiteral(" — ") + texts::kNoDevice;
}

void PortDeviceLine::setLine(const QString& line) {
    m_line = line;
    // A long line wraps between words, never inside a path such as /dev/ttyUSB0: a word joiner
    // after each slash forbids the break the line breaker would allow there.
    QString shown = line;
    setText(shown.replace(QLatin1Char('/'), QStringLiteral("/\u2060")));
}
