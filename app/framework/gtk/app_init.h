#pragma once

// Starts the toolkit for a program that runs its dialogs in sequence and
// never enters an application loop. False when there is no display.
bool AfxWinInit(int* argc, char*** argv);
