#pragma once

#include <string>

// Why the toolkit could not open the display named by DISPLAY, in a few
// words the user can act on: no DISPLAY, a name that is not one, no X server
// answering there, a server that refused us. GTK itself only says no.
std::string DescribeDisplayFailure();
