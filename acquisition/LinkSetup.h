#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/SerialPort.h"

// How the worker gets its port; the real program passes openSerialPort, tests a fake line.
using SerialOpener = std::function<SerialOpenResult(const std::string& name, int rate)>;

// Opening and configuring the port, and what the operator is told when a step fails.
class LinkSetup {
public:
    struct Result {
        std::unique_ptr<SerialPort> port;    // null when a step failed
        std::optional<QString> failureText;  // the message for that step; none for time-outs
    };

    // A port that does not open gets "Ошибка при инициализации COM-порта" and, on a second
    // line, the cause.
    static Result open(const SerialOpener& opener, const std::string& name, int rate);

    // The message for a failed step, or none when that step fails silently.
    static std::optional<QString> failureText(SerialOpenResult::Stage stage, int error);
};
