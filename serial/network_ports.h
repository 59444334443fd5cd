#pragma once

#include <string>
#include <vector>

// A network port the user gave a COM number.
struct NetworkPortEntry {
    int number = 0;
    // "rfc2217://host:port".
    std::string address;
};

// The network ports both programs list under COM numbers of the user's
// choosing, as a virtual COM driver would show them. Kept per user, one
// implementation per platform: in the COM number database here, below
// HKEY_CURRENT_USER on Windows. A port of the system's own keeps its number:
// one is never given to a network port.
class CNetworkPorts {
public:
    enum class EChange {
        Done,
        // It was so already.
        Unchanged,
        // The system gives the number to a port of its own (detail: which).
        SystemNumber,
        // Another network port has the number (detail: its address).
        NumberTaken,
        // The address has a number already (detail: "COM<n>").
        AddressTaken,
        // No network port has the number.
        NotThere,
        // The change could not be kept (detail: why).
        NotSaved,
    };
    struct Result {
        EChange change = EChange::Done;
        std::string detail;
    };

    // On Windows a change is broadcast to every top-level window as the
    // registered message of this name, as Windows tells of a port arriving
    // or gone; here an open dialog sees the COM number database change.
    static constexpr const char* kChangedMessage = "apconfig network ports changed";

    // Ascending by number.
    static std::vector<NetworkPortEntry> List();
    // The address listed under number; empty when none is.
    static std::string AddressOf(int number);
    static Result Add(int number, const std::string& address);
    static Result Remove(int number);
};
