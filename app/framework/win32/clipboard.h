#pragma once

#include <string>

// Puts utf8 on the clipboard as text; false when the clipboard cannot be had.
bool SetClipboardText(const std::string& utf8);
