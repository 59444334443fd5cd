#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// An RFC 2217 server on 127.0.0.1 for engine tests: takes one client,
// answers every COM-PORT-OPTION command as asked, leaves Telnet offers
// unanswered (as some servers do) and echoes data back, 0xFF doubled.
// The socket layer stays in its source, out of the engine's headers.
class CRfc2217EchoServer {
public:
    // modemState: reported first thing on the connection (NOTIFY-MODEMSTATE),
    // as ser2net reports 0 for a port without modem lines.
    explicit CRfc2217EchoServer(std::optional<uint8_t> modemState = std::nullopt);
    ~CRfc2217EchoServer();
    CRfc2217EchoServer(const CRfc2217EchoServer&) = delete;
    CRfc2217EchoServer& operator=(const CRfc2217EchoServer&) = delete;

    // "rfc2217://127.0.0.1:<port>".
    std::string Address() const;
    // Ends the client's connection.
    void Drop();
    // The commands received (code, value), and the data, as the client meant them.
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> Commands() const;
    std::string Data() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
