#include "app/framework/win32/device_change.h"

#include "app/framework/win32/windows_api.h"
#include "serial/network_ports.h"

#include <dbt.h>

unsigned DeviceChangeMessage()
{
    return WM_DEVICECHANGE;
}

bool IsPortArrivalOrRemoval(unsigned long long wParam, long long lParam)
{
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    return (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) && header &&
           header->dbch_devicetype == DBT_DEVTYP_PORT;
}

unsigned NetworkPortsChangedMessage()
{
    static const unsigned message = ::RegisterWindowMessageA(CNetworkPorts::kChangedMessage);
    return message;
}
