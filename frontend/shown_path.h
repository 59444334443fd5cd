#pragma once

#include <string>

// A path as it can go on screen, in UTF-8: file names are bytes on Linux,
// while Windows paths here are UTF-8 already.
std::string ShownPath(const std::string& path);
