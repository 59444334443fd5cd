#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/apctl_options.h"

// apctl's options from the arguments after its name, as main hands them on.
inline std::optional<ApctlOptions> Parse(std::vector<std::string> args, std::string& error)
{
    args.insert(args.begin(), "apctl");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return ParseApctlOptions(static_cast<int>(args.size()), argv.data(), error);
}
