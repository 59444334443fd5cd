#pragma once

#include <string>

// Starts the window system's side of the program: the common controls
// (tab, list view) registered, and the windows kept painted while the
// access point is awaited. False when the controls cannot be registered;
// then *pWhy, when given, says so.
bool AfxWinInit(int* argc, char*** argv, std::string* pWhy = nullptr);
// Brings the program's windows to the front: the main window, or the modal
// dialog above it (a second start asked).
void BringWindowsToFront();
