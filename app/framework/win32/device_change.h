#pragma once

// WM_DEVICECHANGE as code that cannot include windows.h sees it (the port
// dialog, whose DCB is the engine's).
unsigned DeviceChangeMessage();
// The message's event is a port arriving or gone.
bool IsPortArrivalOrRemoval(unsigned long long wParam, long long lParam);
// The message apctl's ports add and remove broadcast (see CNetworkPorts).
unsigned NetworkPortsChangedMessage();
