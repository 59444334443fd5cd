#pragma once

#include <string>

// Starts the toolkit for a program that runs its dialogs in sequence (GTK:
// never entering an application loop; Win32: the common controls registered
// and the windows kept painted while the access point is awaited). False
// when it cannot start; then *pWhy, when given, says why (GTK: names the
// display and why it could not be opened).
bool AfxWinInit(int* argc, char*** argv, std::string* pWhy = nullptr);

// Brings the program's windows showing now to the front, the modal ones (the
// dialog running, a message box over it) last so they end on top.
void BringWindowsToFront();
