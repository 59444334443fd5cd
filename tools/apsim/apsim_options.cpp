#include "tools/apsim/apsim_options.h"

#include <getopt.h>

#include <charconv>
#include <stdexcept>
#include <vector>

#include "tools/apsim/hex.h"

namespace {
enum Option {
    kCom = 256, kFolder, kDevices, kDevice, kName, kPin, kDelayMs, kThrottle, kWrongAck, kSilent, kCutAfter,
    kGarbage, kRawName, kHangupAfter, kFaultOn, kFaultNth, kRecord, kState, kHelp
};

constexpr option kOptions[] = {
    {"com", required_argument, nullptr, kCom},
    {"folder", required_argument, nullptr, kFolder},
    {"devices", required_argument, nullptr, kDevices},
    {"device", required_argument, nullptr, kDevice},
    {"name", required_argument, nullptr, kName},
    {"pin", required_argument, nullptr, kPin},
    {"delay-ms", required_argument, nullptr, kDelayMs},
    {"throttle", no_argument, nullptr, kThrottle},
    {"wrong-ack", no_argument, nullptr, kWrongAck},
    {"silent", no_argument, nullptr, kSilent},
    {"cut-after", required_argument, nullptr, kCutAfter},
    {"garbage", required_argument, nullptr, kGarbage},
    {"raw-name", required_argument, nullptr, kRawName},
    {"hangup-after", required_argument, nullptr, kHangupAfter},
    {"fault-on", required_argument, nullptr, kFaultOn},
    {"fault-nth", required_argument, nullptr, kFaultNth},
    {"record", required_argument, nullptr, kRecord},
    {"state", required_argument, nullptr, kState},
    {"help", no_argument, nullptr, kHelp},
    {nullptr, 0, nullptr, 0},
};

constexpr size_t kMaxGarbage = 16 * 1024 * 1024;
constexpr size_t kMaxDelayMs = 60'000;

std::optional<size_t> Number(std::string_view text, size_t min, size_t max)
{
    size_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

// "HEXADDR[:HEXKEY]": 12 hex digits, then optionally ':' and 32; a device
// without a key gets a generated one, unlike those of --devices.
std::optional<LinkRecord> Device(std::string_view text, size_t ordinal)
{
    std::string_view addressText = text.substr(0, text.find(':'));
    auto address = FromHex(addressText);
    if (!address || address->size() != kAddressBytes)
        return std::nullopt;
    LinkRecord device = GeneratedDevice(kMaxPairedDevices + ordinal);
    address->copy(reinterpret_cast<char*>(device.address), kAddressBytes);
    if (addressText.size() < text.size()) {
        auto key = FromHex(text.substr(addressText.size() + 1));
        if (!key || key->size() != kLinkKeyBytes)
            return std::nullopt;
        key->copy(reinterpret_cast<char*>(device.linkKey), kLinkKeyBytes);
    }
    return device;
}

bool SetNumber(std::optional<size_t>& target, const char* text, size_t min, size_t max)
{
    target = Number(text, min, max);
    return target.has_value();
}
}  // namespace

std::optional<ApsimOptions> ParseApsimOptions(int argc, char* argv[], std::string& error)
{
    ApsimOptions options;
    size_t generated = 0;
    std::vector<LinkRecord> given;
    std::optional<size_t> number;
    optind = 0;  // start afresh on every call
    opterr = 0;
    int index = -1;
    for (int code; (code = getopt_long(argc, argv, "", kOptions, &index)) != -1; index = -1) {
        const std::string name = index >= 0 ? std::string("--") + kOptions[index].name : argv[optind - 1];
        const char* value = optarg;
        bool ok = true;
        switch (code) {
        case kCom:
            ok = SetNumber(number, value, 1, 9999);
            options.com = static_cast<int>(number.value_or(0));
            break;
        case kFolder: options.folder = value; break;
        case kDevices:
            ok = SetNumber(number, value, 0, kMaxPairedDevices);
            generated = number.value_or(0);
            break;
        case kDevice:
            if (auto device = Device(value, given.size()))
                given.push_back(*device);
            else
                ok = false;
            break;
        case kName:
        case kPin:
            ok = std::string_view(value).find('\n') == std::string_view::npos;
            (code == kName ? options.state.name : options.state.pin) = value;
            break;
        case kDelayMs:
            ok = SetNumber(number, value, 0, kMaxDelayMs);
            options.faults.delayMsPerByte = static_cast<int>(number.value_or(0));
            break;
        case kThrottle: options.faults.throttle = true; break;
        case kWrongAck: options.faults.wrongAck = true; break;
        case kSilent: options.faults.silent = true; break;
        case kCutAfter: ok = SetNumber(options.faults.cutAfter, value, 0, SIZE_MAX); break;
        case kGarbage:
            ok = SetNumber(number, value, 0, kMaxGarbage);
            options.faults.garbageBytes = number.value_or(0);
            break;
        case kRawName:
            options.faults.rawName = FromHex(value);
            ok = options.faults.rawName.has_value();
            break;
        case kHangupAfter: ok = SetNumber(options.faults.hangupAfter, value, 0, SIZE_MAX); break;
        case kFaultOn:
            options.faults.onCommand = ParseCommandName(value);
            ok = options.faults.onCommand.has_value();
            break;
        case kFaultNth: ok = SetNumber(options.faults.onExchange, value, 1, SIZE_MAX); break;
        case kRecord: options.recordPath = value; break;
        case kState: options.statePath = value; break;
        case kHelp: options.help = true; break;
        default:
            error = "unknown option or missing value: " + name;
            return std::nullopt;
        }
        if (!ok) {
            error = "bad value for " + name + ": '" + value + "'";
            return std::nullopt;
        }
    }
    if (optind < argc) {
        error = std::string("unexpected argument: ") + argv[optind];
        return std::nullopt;
    }
    options.state.devices = GenerateDevices(generated);
    try {
        for (const LinkRecord& device : given)
            AddDevice(options.state, device);
    } catch (const std::length_error&) {
        error = "more than 65535 paired devices";
        return std::nullopt;
    }
    return options;
}

std::string_view ApsimUsage()
{
    return R"(Usage: apsim [OPTION]...
A simulated Bluetooth access point on a pty. Prints the path it serves on
(the com link, or the pty when there is none) and serves until SIGINT or
SIGTERM, then removes its link.

Line:
  --com N             link the pty as FOLDER/comN, where the program finds COMN
                      (a warning, and the pty alone, when it cannot)
  --folder DIR        the folder for the com link (default /dev)

Device:
  --devices N         N generated paired devices (0 to 65535)
  --device ADDR[:KEY] one paired device: ADDR 12 hex digits in wire order,
                      KEY 32 hex digits (generated when left out); repeatable
  --name TEXT         the device name, bytes as given (default apsim)
  --pin TEXT          the PIN in force (default 0000)

Faults (all exchanges unless limited):
  --delay-ms MS       pause MS milliseconds before every reply byte
  --throttle          send at the line rate: 11 bits a byte at 115200 baud
  --wrong-ack         reply "NG\n" (to the identification: a wrong answer)
  --silent            send no reply
  --cut-after K       send only the first K bytes of the reply
  --garbage N         send N bytes of noise before the reply
  --raw-name HEX      answer LNAMREAD with "OK\n" and these bytes in place
                      of the name and its line feed
  --hangup-after K    close the line after K bytes of the reply, once the
                      host has read them; nothing is served after that
  --fault-on COMMAND  limit the faults to one command: IDENTIFY, LINKREAD,
                      LINKDEL, LNAMREAD, LNAMUPDAT, PINUPDAT or EXIT
  --fault-nth N       limit the faults to the N-th exchange (from 1), or with
                      --fault-on to the N-th exchange of that command

Records:
  --record FILE       append a line per request: the command name, then a
                      space and its payload in hex when it has one
                      ("LINKDEL 0100a1b2c3d4e5f6"); unknown lines as
                      "UNKNOWN <hex>"; written before the reply goes out
  --state FILE        rewritten before each reply: "key value" lines name,
                      name_hex, pin, devices (count), then per device
                      "device <address hex> <key hex>"

  --help              show this text
)";
}
