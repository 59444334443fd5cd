#pragma once

#include <string>

// Runs one disabled test of this program again, in a child as nobody (user
// and group 65534) that may use the display, whose authority is copied into
// `folder` for it. `environment`: more NAME=value words for the child. The
// calling test fails when the child's checks do.
void ExpectPassesAsNobody(const std::string& test, const std::string& folder, const std::string& environment = "");
