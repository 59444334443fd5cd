#pragma once

#include <string>

// Why a port that is no device of this machine (a network port) could not be
// had or was lost: the parts a message names. The words around them are the
// program's, in the user's language.
struct PortFault {
    enum class EKind {
        None,
        NotANetworkName,  // the name is not rfc2217://host:port
        CannotConnect,    // connecting failed or took too long
        ConnectionLost,   // the connection ended while the port was open
    };
    EKind kind = EKind::None;
    std::string host;
    std::string port;
    // The system's words for the cause ("Connection refused").
    std::string cause;
};
