#pragma once

#include <string>

// The system's own words for an error (errno on POSIX, GetLastError on
// Windows), in UTF-8, without a final full stop or line break.
std::string SystemErrorText(int error);
