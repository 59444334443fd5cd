#pragma once

#include <string>

// Starts the toolkit for a program that runs its dialogs in sequence and
// never enters an application loop. False when there is no display; then
// *pWhy, when given, names the display and why it could not be opened.
bool AfxWinInit(int* argc, char*** argv, std::string* pWhy = nullptr);

// Brings the program's windows showing now to the front, the modal ones (the
// dialog running, a message box over it) last so they end on top.
void BringWindowsToFront();
