#include "cli/apctl_options.h"

#include <getopt.h>

#include <algorithm>
#include <cctype>
#include <limits>
#include <string_view>

#include "cli/apctl_string_ids.h"
#include "cli/apctl_text.h"
#include "cli/terminal_text.h"

namespace {
using C = ApctlOptions::ECommand;

// One row a command: what it takes and how --help shows it.
struct CommandRule {
    const char* name;
    C command;
    const char* usage;
    bool json;
    bool pins;
    // Talks to an access point, so a port may be named.
    bool port;
    size_t minOperands;
    size_t maxOperands;
    // The text said when the count of operands is wrong; 0: the first extra
    // one is named.
    int operandsHint;
    // For a command that takes no port, the text said to --port (%1: the
    // command).
    int noPortHint = 0;
};

constexpr size_t kAny = std::numeric_limits<size_t>::max();

constexpr CommandRule kCommands[] = {
    {"identify", C::Identify, "identify", false, false, true, 0, 0, 0},
    {"list", C::List, "list [--json]", true, false, true, 0, 0, 0},
    {"delete", C::Delete, "delete ADDRESS...", false, false, true, 1, kAny, IDS_APCTL_DELETE_NEEDS_ADDRESSES},
    {"pin", C::Pin, "pin [--pins-from-stdin | --current PIN --new PIN]", false, true, true, 0, 0, 0},
    {"name", C::Name, "name [--json] [NEW-NAME]", true, false, true, 0, 1, IDS_APCTL_NAME_TAKES_ONE},
    {"status", C::Status, "status [--json]", true, false, true, 0, 0, 0},
    {"list-ports", C::ListPorts, "list-ports [--json]", true, false, false, 0, 0, 0, IDS_APCTL_TAKES_NO_PORT},
    {"ports", C::Ports, "ports add COMn rfc2217://HOST:PORT\n  apctl ports remove COMn", false, false, false, 2, 3,
     IDS_APCTL_PORTS_USAGE, IDS_APCTL_PORTS_TAKES_NO_PORT},
};

enum Option { kPort = 256, kJson, kCurrent, kNew, kPinsFromStdin, kCheck, kHelp };

constexpr option kOptions[] = {
    {"port", required_argument, nullptr, kPort},       {"json", no_argument, nullptr, kJson},
    {"current", required_argument, nullptr, kCurrent}, {"new", required_argument, nullptr, kNew},
    {"pins-from-stdin", no_argument, nullptr, kPinsFromStdin}, {"check", no_argument, nullptr, kCheck},
    {"help", no_argument, nullptr, kHelp},             {nullptr, 0, nullptr, 0},
};

bool TakesValue(int value)
{
    for (const option& known : kOptions)
        if (known.val == value && known.name)
            return known.has_arg != no_argument;
    return true;
}

std::string LongName(int value)
{
    for (const option& known : kOptions)
        if (known.val == value && known.name)
            return std::string("--") + known.name;
    return "-" + std::string(1, static_cast<char>(value));
}

// Text of the user's own shown in an error: escaped, and quoted.
std::string Quoted(std::string_view text)
{
    return "'" + CTerminalText::Escaped(text) + "'";
}

// A port given as COM<n> must be one a COM name can be: n from 1 to 255,
// written without leading zeros. Anything else naming no COM port is a path.
bool IsComLike(const std::string& port)
{
    return port.size() >= 3 && port.find('/') == std::string::npos &&
           std::equal(port.begin(), port.begin() + 3, "COM",
                      [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
}

bool IsComName(const std::string& port)
{
    const std::string digits = port.substr(3);
    if (digits.empty() || digits.size() > 3 || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    return std::stoi(digits) <= 255;
}

// Keeps the value of an option given once; says in error why not, for a
// repeat or an empty or malformed port.
void Take(int which, const char* value, std::optional<std::string>& into, std::string& error)
{
    const std::string text = value;
    if (into)
        error = CApctlText::Get(IDS_APCTL_OPTION_TWICE, {LongName(which)});
    else if (which == kPort && text.empty())
        error = CApctlText::Get(IDS_APCTL_PORT_NEEDS_VALUE);
    else if (which == kPort && IsComLike(text) && !IsComName(text))
        error = CApctlText::Get(IDS_APCTL_NO_PORT_NAME, {Quoted(text)});
    else
        into = text;
}

// The option getopt_long could not take, as the user wrote it.
std::string Unknown(char* argv[], int failedIndex)
{
    // A short option is reported by its letter alone: the argument may hold
    // several ("-xy").
    if (optopt > 0 && optopt < 256)
        return CApctlText::Get(IDS_APCTL_UNKNOWN_OPTION,
                               {CTerminalText::Escaped(std::string("-") + static_cast<char>(optopt))});
    if (optopt >= 256)
        return CApctlText::Get(IDS_APCTL_OPTION_TAKES_NO_VALUE, {LongName(optopt)});
    std::string_view written = argv[failedIndex];
    return CApctlText::Get(IDS_APCTL_UNKNOWN_OPTION, {CTerminalText::Escaped(written.substr(0, written.find('=')))});
}

std::string JsonCommands()
{
    std::vector<std::string> names;
    for (const CommandRule& rule : kCommands)
        if (rule.json)
            names.emplace_back(rule.name);
    return CApctlText::List(names);
}

bool CheckCommand(const CommandRule& rule, const ApctlOptions& options, std::string& error)
{
    const size_t count = options.arguments.size();
    if (options.json && !rule.json)
        error = CApctlText::Get(IDS_APCTL_JSON_GOES_WITH, {JsonCommands()});
    else if ((options.currentPin || options.newPin) && !rule.pins)
        error = CApctlText::Get(IDS_APCTL_PINS_GO_WITH_PIN);
    else if (options.pinsFromStdin && !rule.pins)
        error = CApctlText::Get(IDS_APCTL_STDIN_GOES_WITH_PIN);
    else if (options.pinsFromStdin && (options.currentPin || options.newPin))
        error = CApctlText::Get(IDS_APCTL_STDIN_OR_PINS);
    else if (count > rule.maxOperands && !rule.operandsHint)
        error = CApctlText::Get(IDS_APCTL_UNEXPECTED_ARGUMENT, {Quoted(options.arguments[rule.maxOperands])});
    else if (count < rule.minOperands || count > rule.maxOperands)
        error = CApctlText::Get(rule.operandsHint);
    else if (!rule.port && !options.port.empty())
        error = CApctlText::Get(rule.noPortHint, {rule.name});
    else if (rule.pins && options.currentPin.has_value() != options.newPin.has_value())
        error = CApctlText::Get(IDS_APCTL_PIN_NEEDS_BOTH);
    return error.empty();
}
}  // namespace

const char* ApctlUsage()
{
    static const std::string usage = [] {
        std::string text = "Usage:\n";
        for (const CommandRule& rule : kCommands)
            text += std::string("  apctl ") + (rule.port ? "[--port PORT] " : "") + rule.usage + "\n";
        return text +
               "\n"
               "Talks to a Bluetooth access point on a serial port, as apconfig does.\n"
               "PORT is a COM name as apconfig's port dialog shows it (COM5), a device\n"
               "path (/dev/ttyUSB0) or a port on a serial device server\n"
               "(rfc2217://HOST:PORT); without --port, the only port that can be opened.\n"
               "ports add gives a network port a COM number from COM4 to COM20, under\n"
               "which apconfig's port dialog and apctl list it; ports remove takes it back.\n"
               "ADDRESS is a paired device's address as listed, e.g. 44:55:33:00:11:22.\n"
               "pin reads the current PIN and the new one from two lines of standard input\n"
               "with --pins-from-stdin; without options it asks for them on the terminal,\n"
               "unshown. --current and --new still work, but a command line is visible to\n"
               "every user of the machine (ps).\n"
               "--check, before any command, judges its arguments (name, PINs, addresses)\n"
               "as the command would and exits 0 or 64, without opening a port.\n"
               "\n"
               "Exit status: 0 done, 1 the access point refused or the output could not be\n"
               "written, 2 no access point answered or its reply was late or malformed,\n"
               "3 the port cannot be opened, 64 usage, 130 interrupted (SIGINT, Ctrl+C),\n"
               "143 terminated (SIGTERM, Ctrl+Break); the conversation is ended first.\n";
    }();
    return usage.c_str();
}

std::optional<ApctlOptions> ParseApctlOptions(int argc, char* argv[], std::string& error)
{
    ApctlOptions options;
    std::optional<std::string> port;
    optind = 0;
    opterr = 0;
    for (;;) {
        const int current = optind == 0 ? 1 : optind;
        const int option = getopt_long(argc, argv, "+:", kOptions, nullptr);
        if (option == -1 && optind >= argc)
            break;
        if (option == -1) {
            // After "--" everything is an argument, a name starting with '-'
            // included; before it, options may follow the command too. (A
            // "--" that getopt stepped over, not an option's value.)
            if (optind > current && std::string_view(argv[optind - 1]) == "--") {
                while (optind < argc)
                    options.arguments.emplace_back(argv[optind++]);
                break;
            }
            options.arguments.emplace_back(argv[optind++]);
            continue;
        }
        switch (option) {
        case kPort: Take(kPort, optarg, port, error); break;
        case kJson: options.json = true; break;
        case kPinsFromStdin: options.pinsFromStdin = true; break;
        case kCheck: options.checkOnly = true; break;
        case kCurrent: Take(kCurrent, optarg, options.currentPin, error); break;
        case kNew: Take(kNew, optarg, options.newPin, error); break;
        case kHelp: options.help = true; return options;
        // Some getopt_long report a value given to an option that takes
        // none (--json=x) as a missing one.
        case ':':
            error = CApctlText::Get(TakesValue(optopt) ? IDS_APCTL_OPTION_NEEDS_VALUE : IDS_APCTL_OPTION_TAKES_NO_VALUE,
                                    {LongName(optopt)});
            break;
        default: error = Unknown(argv, current); break;
        }
        if (!error.empty())
            return std::nullopt;
    }
    options.port = port.value_or("");
    if (options.arguments.empty()) {
        error = CApctlText::Get(IDS_APCTL_NO_COMMAND);
        return std::nullopt;
    }
    const auto rule = std::find_if(std::begin(kCommands), std::end(kCommands),
                                   [&](const CommandRule& r) { return options.arguments.front() == r.name; });
    if (rule == std::end(kCommands)) {
        error = CApctlText::Get(IDS_APCTL_UNKNOWN_COMMAND, {Quoted(options.arguments.front())});
        return std::nullopt;
    }
    options.command = rule->command;
    options.arguments.erase(options.arguments.begin());
    if (!CheckCommand(*rule, options, error))
        return std::nullopt;
    return options;
}
