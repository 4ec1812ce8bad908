// On Windows the COM numbers are the system's own: "COMn" is the device \\.\COMn, unless
// TABULON_COMn names another (a network server, or a port of a higher number).
#include "platform/SerialPortName.h"

std::string builtInComPath(int n) {
    return "\\\\.\\COM" + std::to_string(n);
}
