#pragma once

#include <string>

// The port a run of apctl talks through: the one --port names (a COM name
// resolved as apconfig's port dialog resolves it, a device path, or a
// network port's address), else
// the only one that can be opened now and is nobody's terminal.
struct PortChoice {
    // 0 when there is none; then error says why and exitCode what to end with.
    int number = 0;
    // How messages name it: "COM5 (/dev/ttyUSB0)"; jsonName the same in
    // English, for the JSON, which never follows the language.
    std::string name;
    std::string jsonName;
    // The device it opens; for a network port its address.
    std::string path;
    std::string error;
    int exitCode = 0;
    // A network port ("rfc2217://host:port"): opened by name, no number.
    bool network = false;
};

class CPortChooser {
public:
    static constexpr int kExitPort = 3;
    static constexpr int kExitUsage = 64;

    static PortChoice Choose(const std::string& requested);

private:
    static PortChoice ByComName(const std::string& comName, int number);
    static PortChoice ByPath(const std::string& path);
    static PortChoice ByAddress(const std::string& address);
    static PortChoice TheOnlyOne();
};
