#include "cli/apctl_options.h"

#include <getopt.h>

#include <map>
#include <string_view>

namespace {
enum Option { kPort = 256, kJson, kCurrent, kNew, kHelp };

constexpr option kOptions[] = {
    {"port", required_argument, nullptr, kPort},   {"json", no_argument, nullptr, kJson},
    {"current", required_argument, nullptr, kCurrent}, {"new", required_argument, nullptr, kNew},
    {"help", no_argument, nullptr, kHelp},         {nullptr, 0, nullptr, 0},
};

const std::map<std::string, ApctlOptions::ECommand> kCommands = {
    {"identify", ApctlOptions::ECommand::Identify}, {"list", ApctlOptions::ECommand::List},
    {"delete", ApctlOptions::ECommand::Delete},     {"pin", ApctlOptions::ECommand::Pin},
    {"name", ApctlOptions::ECommand::Name},         {"list-ports", ApctlOptions::ECommand::ListPorts},
};
}  // namespace

const char* ApctlUsage()
{
    return "Usage:\n"
           "  apctl [--port PORT] identify\n"
           "  apctl [--port PORT] list [--json]\n"
           "  apctl [--port PORT] delete ADDRESS...\n"
           "  apctl [--port PORT] pin --current PIN --new PIN\n"
           "  apctl [--port PORT] name [--json] [NEW-NAME]\n"
           "  apctl list-ports [--json]\n"
           "\n"
           "Talks to a Bluetooth access point on a serial port, as apconfig does.\n"
           "PORT is a COM name as apconfig's port dialog shows it (COM5) or a device\n"
           "path (/dev/ttyUSB0); without --port, the only port that can be opened.\n"
           "ADDRESS is a paired device's address as listed, e.g. 44:55:33:00:11:22.\n"
           "\n"
           "Exit status: 0 done, 1 the access point refused, 2 no access point answered\n"
           "or its reply was late or malformed, 3 the port cannot be opened, 64 usage.\n";
}

std::optional<ApctlOptions> ParseApctlOptions(int argc, char* argv[], std::string& error)
{
    ApctlOptions options;
    optind = 0;
    opterr = 0;
    int option;
    while ((option = getopt_long(argc, argv, "+:", kOptions, nullptr)) != -1 || optind < argc) {
        if (option == -1) {
            // After "--" everything is an argument, a name starting with '-'
            // included; before it, options may follow the command too.
            if (std::string_view(argv[optind - 1]) == "--") {
                while (optind < argc)
                    options.arguments.emplace_back(argv[optind++]);
                break;
            }
            options.arguments.emplace_back(argv[optind++]);
            continue;
        }
        switch (option) {
        case kPort: options.port = optarg; break;
        case kJson: options.json = true; break;
        case kCurrent: options.currentPin = optarg; break;
        case kNew: options.newPin = optarg; break;
        case kHelp: options.help = true; return options;
        case ':': error = std::string("option ") + argv[optind - 1] + " needs a value"; return std::nullopt;
        default:
            error = std::string("unknown option ") + argv[optind - 1];
            return std::nullopt;
        }
    }
    if (options.arguments.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    auto command = kCommands.find(options.arguments.front());
    if (command == kCommands.end()) {
        error = "unknown command '" + options.arguments.front() + "'";
        return std::nullopt;
    }
    options.command = command->second;
    options.arguments.erase(options.arguments.begin());

    using C = ApctlOptions::ECommand;
    const size_t count = options.arguments.size();
    if (options.json && options.command != C::List && options.command != C::Name && options.command != C::ListPorts) {
        error = "--json goes with list, name and list-ports only";
        return std::nullopt;
    }
    if ((options.currentPin || options.newPin) && options.command != C::Pin) {
        error = "--current and --new go with pin only";
        return std::nullopt;
    }
    if ((options.command == C::Identify || options.command == C::List || options.command == C::Pin ||
         options.command == C::ListPorts) && count != 0) {
        error = "unexpected argument '" + options.arguments.front() + "'";
        return std::nullopt;
    }
    if (options.command == C::ListPorts && !options.port.empty()) {
        error = "list-ports lists every port: it takes no --port";
        return std::nullopt;
    }
    if (options.command == C::Delete && count == 0) {
        error = "delete needs the addresses of the devices to delete";
        return std::nullopt;
    }
    if (options.command == C::Name && count > 1) {
        error = "name takes one new name (quote a name with spaces)";
        return std::nullopt;
    }
    if (options.command == C::Pin && (!options.currentPin || !options.newPin)) {
        error = "pin needs --current PIN and --new PIN";
        return std::nullopt;
    }
    return options;
}
