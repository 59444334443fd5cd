#include "serial/rfc2217/telnet_link.h"

#include <asio.hpp>

#include <algorithm>
#include <chrono>

#include "serial/rfc2217/telnet_codes.h"
#include "serial/rfc2217/telnet_sender.h"

struct CTelnetLink::Socket {
    asio::io_context io;
    asio::ip::tcp::socket socket{io};
};

namespace {
// A server closing the connection is a reset as far as the port goes.
asio::error_code Said(const asio::error_code& error)
{
    return error == asio::error::eof ? asio::error::connection_reset : error;
}
}  // namespace

CTelnetLink::CTelnetLink() : m_pSocket(std::make_unique<Socket>()) {}

CTelnetLink::~CTelnetLink()
{
    Close();
}

bool CTelnetLink::Connect(const NetworkPortAddress& address, uint32_t timeoutMs)
{
    asio::error_code error;
    asio::ip::tcp::resolver resolver(m_pSocket->io);
    // Not limited to the address families configured on an interface: a
    // machine with only its loopback up still reaches a server on it.
    const auto endpoints = resolver.resolve(address.host, address.port, asio::ip::resolver_base::numeric_service, error);
    if (!error) {
        error = asio::error::timed_out;
        asio::async_connect(m_pSocket->socket, endpoints,
                            [&error](const asio::error_code& result, const asio::ip::tcp::endpoint&) { error = result; });
        m_pSocket->io.run_for(std::chrono::milliseconds(timeoutMs));
        if (!m_pSocket->io.stopped()) {
            // Still connecting: given up, and the attempt's end awaited.
            asio::error_code ignored;
            m_pSocket->socket.close(ignored);
            m_pSocket->io.run();
            error = asio::error::timed_out;
        }
        m_pSocket->io.restart();
    }
    if (error) {
        Lost(error.value(), error.message());
        return false;
    }
    asio::error_code ignored;
    m_pSocket->socket.set_option(asio::ip::tcp::no_delay(true), ignored);
    ReadMore();
    m_reader = std::thread([this] { m_pSocket->io.run(); });
    return true;
}

void CTelnetLink::Close()
{
    if (m_reader.joinable()) {
        asio::post(m_pSocket->io, [this] {
            asio::error_code ignored;
            m_pSocket->socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
            m_pSocket->socket.close(ignored);
        });
        m_reader.join();
    }
    asio::error_code ignored;
    m_pSocket->socket.close(ignored);
}

void CTelnetLink::Queue(const std::vector<uint8_t>& bytes)
{
    {
        std::lock_guard lock(m_lock);
        if (m_bGone)
            return;
        m_outgoing.insert(m_outgoing.end(), bytes.begin(), bytes.end());
        m_nQueued += bytes.size();
    }
    asio::post(m_pSocket->io, [this] { WriteMore(); });
}

bool CTelnetLink::Send(const std::vector<uint8_t>& bytes, uint32_t ms)
{
    Queue(bytes);
    std::unique_lock lock(m_lock);
    const uint64_t target = m_nQueued;
    if (m_answered.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_bGone || m_nWritten >= target; }))
        return !m_bGone;
    lock.unlock();
    const asio::error_code late = asio::error::timed_out;
    Lost(late.value(), late.message());
    return false;
}

void CTelnetLink::WriteMore()
{
    if (m_bWriting)
        return;
    {
        std::lock_guard lock(m_lock);
        m_writing.swap(m_outgoing);
        m_outgoing.clear();
    }
    if (m_writing.empty())
        return;
    m_bWriting = true;
    asio::async_write(m_pSocket->socket, asio::buffer(m_writing), [this](const asio::error_code& error, size_t n) {
        m_bWriting = false;
        if (error) {
            Lost(Said(error).value(), Said(error).message());
            return;
        }
        {
            std::lock_guard lock(m_lock);
            m_nWritten += n;
        }
        m_answered.notify_all();
        WriteMore();
    });
}

std::optional<std::vector<uint8_t>> CTelnetLink::Ask(const std::vector<uint8_t>& command, uint8_t code, uint32_t ms)
{
    const uint8_t answer = static_cast<uint8_t>(code + comport::kServerOffset);
    {
        std::lock_guard lock(m_lock);
        m_answers.erase(answer);
    }
    Queue(command);
    std::unique_lock lock(m_lock);
    m_answered.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_bGone || m_answers.contains(answer); });
    const auto found = m_answers.find(answer);
    if (found == m_answers.end())
        return std::nullopt;
    return found->second;
}

void CTelnetLink::ReadMore()
{
    m_pSocket->socket.async_read_some(asio::buffer(m_readBuffer), [this](const asio::error_code& error, size_t n) {
        if (error) {
            Lost(Said(error).value(), Said(error).message());
            return;
        }
        Received(n);
        ReadMore();
    });
}

void CTelnetLink::Received(size_t n)
{
    std::vector<uint8_t> data;
    std::vector<TelnetCommand> commands;
    m_receiver.Feed(m_readBuffer.data(), n, data, commands);
    for (const TelnetCommand& command : commands)
        Obey(command);
    {
        std::lock_guard lock(m_lock);
        m_received.insert(m_received.end(), data.begin(), data.end());
    }
    m_answered.notify_all();
    m_arrived.Set();
}

void CTelnetLink::Obey(const TelnetCommand& command)
{
    using namespace telnet;
    const bool ours = command.option == kBinary || command.option == kSga || command.option == kComPortOption;
    if (command.verb == kWill && command.option != kBinary && command.option != kSga)
        Queue(telnet_out::Negotiation(kDont, command.option));
    else if (command.verb == kDo && !ours)
        Queue(telnet_out::Negotiation(kWont, command.option));
    if (command.verb != kSb || command.option != kComPortOption || command.payload.empty())
        return;
    const uint8_t code = command.payload.front();
    std::lock_guard lock(m_lock);
    if (code == comport::kNotifyModemState + comport::kServerOffset && command.payload.size() > 1)
        m_modemState = command.payload[1];
    else
        m_answers[code].assign(command.payload.begin() + 1, command.payload.end());
}

void CTelnetLink::Lost(int error, std::string cause)
{
    {
        std::lock_guard lock(m_lock);
        if (m_bGone)
            return;
        m_bGone = true;
        m_nError = error;
        m_strCause = std::move(cause);
    }
    m_answered.notify_all();
    m_arrived.Set();
}

size_t CTelnetLink::Waiting() const
{
    std::lock_guard lock(m_lock);
    return m_received.size();
}

size_t CTelnetLink::Take(uint8_t* buffer, size_t n)
{
    std::lock_guard lock(m_lock);
    n = std::min(n, m_received.size());
    std::copy_n(m_received.begin(), n, buffer);
    m_received.erase(m_received.begin(), m_received.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

void CTelnetLink::ClearReceived()
{
    std::lock_guard lock(m_lock);
    m_received.clear();
}

std::optional<uint8_t> CTelnetLink::ModemState() const
{
    std::lock_guard lock(m_lock);
    return m_modemState;
}

bool CTelnetLink::IsGone() const
{
    std::lock_guard lock(m_lock);
    return m_bGone;
}

int CTelnetLink::LastError() const
{
    std::lock_guard lock(m_lock);
    return m_nError;
}

std::string CTelnetLink::Cause() const
{
    std::lock_guard lock(m_lock);
    return m_strCause;
}
