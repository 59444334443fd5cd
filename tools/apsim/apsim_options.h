#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/apsim/access_point_state.h"
#include "tools/apsim/fault_plan.h"

// What the apsim command line asks for.
struct ApsimOptions {
    int com = 0;  // 0: serve the pty without a "com<n>" link
    std::string folder = "/dev";
    AccessPointState state;
    FaultPlan faults;
    std::string recordPath;
    std::string statePath;
    bool help = false;
};

// Parses the command line with getopt_long; nullopt with the reason in
// `error` for anything it cannot take.
std::optional<ApsimOptions> ParseApsimOptions(int argc, char* argv[], std::string& error);
// The --help text.
std::string_view ApsimUsage();
