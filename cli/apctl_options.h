#pragma once

#include <optional>
#include <string>
#include <vector>

// What a command line asks of apctl.
struct ApctlOptions {
    enum class ECommand { Identify, List, Delete, Pin, Name, Status, ListPorts, Ports };

    ECommand command = ECommand::Identify;
    // A COM name as the port dialog gives it, or a device path; empty: the
    // only port that can be opened.
    std::string port;
    bool json = false;
    // delete: the addresses as displayed; name: the new name, if any.
    std::vector<std::string> arguments;
    std::optional<std::string> currentPin;
    std::optional<std::string> newPin;
    // pin: the two PINs come as two lines of standard input. Without them
    // or --current and --new, they are asked for on the terminal.
    bool pinsFromStdin = false;
    bool help = false;
    // Judge the arguments as the command would, then stop: no port is opened.
    bool checkOnly = false;
};

// Reads the command line; on a usage error returns nothing and says why in
// error (one line, without the program's name, naming the argument at fault).
std::optional<ApctlOptions> ParseApctlOptions(int argc, char* argv[], std::string& error);

// The text --help prints.
const char* ApctlUsage();
