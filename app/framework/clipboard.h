#pragma once

#include <string>

// Puts a text on the clipboard, replacing what it held; false when the
// clipboard cannot be had.
bool SetClipboardText(const std::string& utf8);
