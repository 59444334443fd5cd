#include "tests/support/rfc2217_echo_server.h"

#include <asio.hpp>

#include <mutex>
#include <thread>

#include "serial/rfc2217/telnet_codes.h"

using namespace telnet;

struct CRfc2217EchoServer::Impl {
    asio::io_context io;
    asio::ip::tcp::acceptor acceptor{io, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0)};
    asio::ip::tcp::socket socket{io};
    const uint16_t port = acceptor.local_endpoint().port();
    std::thread thread;
    mutable std::mutex lock;
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> commands;
    std::string data;
    // Where the reading is in Telnet's stream.
    enum { Data, Command, Option, Sub, SubIac } state = Data;
    std::vector<uint8_t> sub;
    uint8_t byte = 0;

    void ReadNext()
    {
        socket.async_read_some(asio::buffer(&byte, 1), [this](const asio::error_code& error, size_t) {
            if (error)
                return;
            Take(byte);
            ReadNext();
        });
    }
    void Take(uint8_t in)
    {
        switch (state) {
        case Data:
            if (in == kIac)
                state = Command;
            else
                Echo(in);
            break;
        case Command:
            if (in == kIac) {
                Echo(in);
                state = Data;
            } else if (in == kSb) {
                sub.clear();
                state = Sub;
            } else {
                state = Option;
            }
            break;
        case Option: state = Data; break;
        case Sub:
            if (in == kIac)
                state = SubIac;
            else
                sub.push_back(in);
            break;
        case SubIac:
            if (in == kIac) {
                sub.push_back(in);
                state = Sub;
            } else {
                Answer();
                state = Data;
            }
            break;
        }
    }
    static void PutEscaped(std::vector<uint8_t>& out, uint8_t value)
    {
        out.push_back(value);
        if (value == kIac)
            out.push_back(kIac);
    }
    void Send(const std::vector<uint8_t>& bytes)
    {
        asio::error_code ignored;
        asio::write(socket, asio::buffer(bytes), ignored);
    }
    void Echo(uint8_t value)
    {
        {
            std::lock_guard guard(lock);
            data.push_back(char(value));
        }
        std::vector<uint8_t> out;
        PutEscaped(out, value);
        Send(out);
    }
    void Answer()
    {
        if (sub.size() < 2 || sub[0] != kComPortOption)
            return;
        const std::vector<uint8_t> value(sub.begin() + 2, sub.end());
        {
            std::lock_guard guard(lock);
            commands.emplace_back(sub[1], value);
        }
        std::vector<uint8_t> out{kIac, kSb, kComPortOption, uint8_t(sub[1] + comport::kServerOffset)};
        for (uint8_t value_byte : value)
            PutEscaped(out, value_byte);
        out.insert(out.end(), {kIac, kSe});
        Send(out);
    }
};

CRfc2217EchoServer::CRfc2217EchoServer(std::optional<uint8_t> modemState) : m_impl(std::make_unique<Impl>())
{
    Impl& impl = *m_impl;
    impl.acceptor.async_accept(impl.socket, [&impl, modemState](const asio::error_code& error) {
        if (error)
            return;
        if (modemState)
            impl.Send({kIac, kSb, kComPortOption, uint8_t(comport::kNotifyModemState + comport::kServerOffset),
                       *modemState, kIac, kSe});
        impl.ReadNext();
    });
    impl.thread = std::thread([&impl] { impl.io.run(); });
}

CRfc2217EchoServer::~CRfc2217EchoServer()
{
    m_impl->io.stop();
    m_impl->thread.join();
}

std::string CRfc2217EchoServer::Address() const
{
    return "rfc2217://127.0.0.1:" + std::to_string(m_impl->port);
}

void CRfc2217EchoServer::Drop()
{
    Impl& impl = *m_impl;
    asio::post(impl.io, [&impl] {
        asio::error_code ignored;
        impl.socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
        impl.socket.close(ignored);
    });
}

std::vector<std::pair<uint8_t, std::vector<uint8_t>>> CRfc2217EchoServer::Commands() const
{
    std::lock_guard guard(m_impl->lock);
    return m_impl->commands;
}

std::string CRfc2217EchoServer::Data() const
{
    std::lock_guard guard(m_impl->lock);
    return m_impl->data;
}
