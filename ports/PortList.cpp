#include "ports/PortList.h"

#include "ports/ComPortDirectory.h"
#include "ports/PortTexts.h"
#include "res/Texts.h"

namespace {

std::string unplugged(bool alone) {
    const std::string word = texts::kUnplugged.toStdString();
    return alone ? word : " (" + word + ")";
}

}  // namespace

QStringList portListLines(const ComPortDirectory& directory) {
    QStringList lines;
    for (const ComPortEntry& e : directory.entries()) {
        std::string description = e.device.description;
        if (!e.present) description += unplugged(description.empty());
        if (e.address) description = texts::kNetworkPortLower.toStdString();
        lines << porttext::portListLine(e.com, e.device.path, e.device.byId, description);
    }
    return lines;
}
