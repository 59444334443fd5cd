#pragma once

#include <string>
#include <vector>

// What a test reads and does in windows, for test files that cannot include
// windows.h (they see the engine's DCB). Handles are HWNDs.
namespace WindowProbe {
std::string Text(void* hWnd);
bool IsShown(void* hWnd);
std::vector<std::string> ComboItems(void* combo);
// Chooses item index of the combo box control nId of dialog, as the user does.
void ChooseComboItem(void* dialog, int nId, int index);
// A device arriving or gone: a port, or a volume.
void SendDeviceChange(void* dialog, bool arrival, bool port);
// Posts the registered message of that name to every top-level window, as
// another program does, and handles what this thread's queue then holds.
void BroadcastAndPump(const char* registeredMessage);
}  // namespace WindowProbe
