#pragma once

// Starts the window system's side of the program: the common controls
// (tab, list view) registered. False when they cannot be.
bool AfxWinInit(int* argc, char*** argv);
// Brings the program's windows to the front: the main window, or the modal
// dialog above it (a second start asked).
void BringWindowsToFront();
