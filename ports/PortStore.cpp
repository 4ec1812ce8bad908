#include "ports/PortStore.h"

namespace {

const QString kPorts = QStringLiteral("Ports/");
const QString kDescriptions = QStringLiteral("PortDescriptions/");

QString comKey(int com) {
    return kPorts + QStringLiteral("COM%1").arg(com);
}

// QSettings keys may not hold "/" or "\"; device keys hold neither, but be safe.
QString descriptionKey(const std::string& key) {
    return kDescriptions + QString::fromStdString(key).replace('/', '_').replace('\\', '_');
}

}  // namespace

PortStore::PortStore()
    : m_settings(std::make_unique<QSettings>(
          QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("Tabulon"))) {}

PortStore::PortStore(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

ComMemory PortStore::load() {
    m_settings->sync();  // another window or run may have moved a number meanwhile
    ComMemory memory;
    for (int com = kFirstCom; com <= kLastCom; ++com) {
        const QString entry = m_settings->value(comKey(com)).toString().trimmed();
        if (!entry.isEmpty()) memory[com] = entry.toStdString();
    }
    return memory;
}

void PortStore::save(const ComMemory& memory) {
    for (int com = kFirstCom; com <= kLastCom; ++com) {
        const auto it = memory.find(com);
        if (it == memory.end())
            m_settings->remove(comKey(com));
        else
            m_settings->setValue(comKey(com), QString::fromStdString(it->second));
    }
    m_settings->sync();
}

std::string PortStore::description(const std::string& key) const {
    return m_settings->value(descriptionKey(key)).toString().toStdString();
}

void PortStore::setDescription(const std::string& key, const std::string& description) {
    if (description.empty() || this->description(key) == description) return;
    m_settings->setValue(descriptionKey(key), QString::fromStdString(description));
    m_settings->sync();
}

void PortStore::setAddress(int com, const QString& address) {
    ComMemory memory = load();
    memory[com] = address.trimmed().toStdString();
    save(memory);
}

void PortStore::release(int com) {
    ComMemory memory = load();
    memory.erase(com);
    save(memory);
}
