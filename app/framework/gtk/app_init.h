#pragma once

// Starts the toolkit for a program that runs its dialogs in sequence and
// never enters an application loop. False when there is no display.
bool AfxWinInit(int* argc, char*** argv);

// Brings the program's windows showing now to the front, the modal ones (the
// dialog running, a message box over it) last so they end on top.
void BringWindowsToFront();
