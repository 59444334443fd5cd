#pragma once

// The loaded resource library (an HMODULE), for the window framework to find
// its dialog templates and icon in; null until CStringTable::Load succeeds.
void* StringTableModule();
