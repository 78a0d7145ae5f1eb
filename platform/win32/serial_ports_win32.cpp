// The COM ports Windows knows: the values of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, each the
// port's name ("COM3") under the name of its device ("\Device\Serial0", "\Device\VCP0").
#include <windows.h>

#include <algorithm>

#include "platform/serial_port.h"

namespace kest {

std::vector<PortEntry> system_serial_ports() {
    std::vector<PortEntry> ports;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        char device[256];
        BYTE data[256];
        DWORD deviceSize = sizeof device;
        DWORD dataSize = sizeof data - 1;
        DWORD type = 0;
        const LONG r = RegEnumValueA(key, index, device, &deviceSize, nullptr, &type, data, &dataSize);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS || type != REG_SZ) continue;
        data[dataSize] = 0;
        const std::string name(reinterpret_cast<const char*>(data));
        if (!name.empty()) ports.push_back({name, "", device});
    }
    RegCloseKey(key);
    std::sort(ports.begin(), ports.end(),
              [](const PortEntry& a, const PortEntry& b) { return port_name_less(a.name, b.name); });
    return ports;
}

}  // namespace kest
