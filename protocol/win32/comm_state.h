#pragma once

#include <cstddef>

// Reads the line settings of COM<nPort> as they stand into record (the
// engine's DCB, which keeps the system's layout, size bytes), opening the
// port only for that. False with the system's error in *error when the
// port cannot be opened or read. Kept apart so that no file sees both the
// engine's DCB and <windows.h>'s.
bool ReadCommState(int nPort, void* record, size_t size, int* error);
