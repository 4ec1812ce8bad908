#pragma once

#include <QString>
#include <string>

#include "platform/PortUser.h"
#include "ports/ComNumbering.h"

namespace porttext {

// Why port `name` ("COM3") could not be opened, for the line under "Ошибка при инициализации
// COM-порта": `path` is what was tried (empty when no device stands under the number), `error`
// the system's code, `user` the program found holding the port.
QString openFailureCause(const std::string& name, const std::string& path, int error,
                         const PortUser& user);

// The line under the port list of the settings dialog: "COM3 — FT232R USB UART, /dev/ttyUSB0"
// or "COM3 — нет устройства". `remembered` names a device that has the number but is unplugged.
QString deviceLine(const QString& name, const ComTarget& target, const std::string& remembered);

// One line of `Tabulon --list-ports`: COM number, device path, by-id name, description, each
// "-" when there is none, separated by two spaces.
QString portListLine(int com, const std::string& path, const std::string& byId,
                     const std::string& description);

}  // namespace porttext
