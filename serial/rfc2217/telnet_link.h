#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "serial/manual_reset_event.h"
#include "serial/rfc2217/network_port_address.h"
#include "serial/rfc2217/telnet_receiver.h"

// One Telnet connection to a serial device server. A reader thread of its
// own takes what the server sends: data into a queue, its answers to
// COM-PORT-OPTION commands and its modem state aside, and the refusal of any
// option the port does not use straight back. Arrived is set whenever data
// or news come, or the connection is lost. The socket layer stays inside:
// the system's headers it needs clash with the engine's port types.
class CTelnetLink {
public:
    CTelnetLink();
    ~CTelnetLink();
    CTelnetLink(const CTelnetLink&) = delete;
    CTelnetLink& operator=(const CTelnetLink&) = delete;

    // Connects within timeoutMs and starts the reader; false with the
    // cause in LastError and Cause.
    bool Connect(const NetworkPortAddress& address, uint32_t timeoutMs);
    void Close();
    // Queues bytes for the reader thread to write, in the order queued.
    void Queue(const std::vector<uint8_t>& bytes);
    // Queues bytes and waits up to ms until they are written; a server that
    // takes nothing for that long is taken as lost, as the rest of its
    // stream could not be told apart any more. False once it is lost.
    bool Send(const std::vector<uint8_t>& bytes, uint32_t ms);
    // Sends a COM-PORT-OPTION command and waits up to ms for its answer's
    // value; none when it did not come by then.
    std::optional<std::vector<uint8_t>> Ask(const std::vector<uint8_t>& command, uint8_t code, uint32_t ms);

    size_t Waiting() const;
    size_t Take(uint8_t* buffer, size_t n);
    void ClearReceived();
    // The modem lines the server last reported; none before it has.
    std::optional<uint8_t> ModemState() const;
    CManualResetEvent& Arrived() { return m_arrived; }

    bool IsGone() const;
    int LastError() const;
    std::string Cause() const;

private:
    struct Socket;

    void ReadMore();
    // Writes what is queued unless a write is under way (reader thread).
    void WriteMore();
    void Received(size_t n);
    void Obey(const TelnetCommand& command);
    void Lost(int error, std::string cause);

    std::unique_ptr<Socket> m_pSocket;
    std::thread m_reader;
    std::array<uint8_t, 4096> m_readBuffer{};
    CTelnetReceiver m_receiver;
    // The write under way; only the reader thread touches it.
    std::vector<uint8_t> m_writing;
    bool m_bWriting = false;

    mutable std::mutex m_lock;
    std::condition_variable m_answered;
    std::deque<uint8_t> m_received;
    std::vector<uint8_t> m_outgoing;
    uint64_t m_nQueued = 0;
    uint64_t m_nWritten = 0;
    std::map<uint8_t, std::vector<uint8_t>> m_answers;
    std::optional<uint8_t> m_modemState;
    bool m_bGone = false;
    int m_nError = 0;
    std::string m_strCause;
    CManualResetEvent m_arrived;
};
