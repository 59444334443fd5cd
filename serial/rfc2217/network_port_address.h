#pragma once

#include <optional>
#include <string>

// A port on a serial device server, named "rfc2217://host:port" (an IPv6
// host in brackets).
struct NetworkPortAddress {
    static constexpr const char* kScheme = "rfc2217://";

    std::string host;
    std::string port;

    static bool IsNetworkName(const std::string& name);
    // The host and port of a network name; none when either is missing or
    // the port is not a number from 1 to 65535.
    static std::optional<NetworkPortAddress> Parse(const std::string& name);
};
