#include <windows.h>

#include <string>

#include "platform/ProcessPlace.h"
#include "platform/Win32Text.h"

namespace {

// The id Windows gives the installation, kept in the registry: the machine's lasting id.
std::string machineGuid() {
    wchar_t value[64] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", L"MachineGuid",
                     RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return Win32Text::utf8(value);
}

// The count of boots Windows keeps (Windows 10 and later); empty where it keeps none, and a
// leftover of another boot then waits until it is old. A boot time worked out from the clock
// and the uptime would not do: two processes of one boot could round it differently.
std::string bootId() {
    DWORD id = 0;
    DWORD size = sizeof id;
    if (RegGetValueW(HKEY_LOCAL_MACHINE,
                     L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\"
                     L"PrefetchParameters",
                     L"BootId", RRF_RT_REG_DWORD, nullptr, &id, &size) != ERROR_SUCCESS)
        return {};
    return std::to_string(id);
}

}  // namespace

// Process ids are one space per machine on Windows; a container is another machine.
ProcessPlace currentProcessPlace() {
    ProcessPlace place;
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(name, &size))
        place.machine = Win32Text::utf8(name) + '/' + machineGuid();
    place.boot = bootId();
    return place;
}
