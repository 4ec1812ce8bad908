#include "ports/PortList.h"

#include "ports/ComPortDirectory.h"
#include "ports/PortTexts.h"

QStringList portListLines(const ComPortDirectory& directory) {
    QStringList lines;
    for (const ComPortEntry& e : directory.entries()) {
        std::string description = e.device.description;
        if (!e.present) description += description.empty() ? "отключено" : " (отключено)";
        if (e.address) description = "сетевой порт";
        lines << porttext::portListLine(e.com, e.device.path, e.device.byId, description);
    }
    return lines;
}
