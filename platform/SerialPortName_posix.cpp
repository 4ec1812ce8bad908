#include "platform/SerialPortName.h"

std::string builtInComPath(int n) {
    return "/dev/ttyS" + std::to_string(n - 1);
}
