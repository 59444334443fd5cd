#include "bench/ser2net_process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace {
sockaddr_in Loopback(uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A TCP port nothing listens on now.
uint16_t FreePort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t size = sizeof address;
    if (probe < 0 || bind(probe, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("no free TCP port");
    close(probe);
    return ntohs(address.sin_port);
}

// Serving once it opens the Telnet negotiation on a connection.
bool Serves(uint16_t port)
{
    const int client = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(port);
    unsigned char first = 0;
    pollfd ready{client, POLLIN, 0};
    const bool serves = client >= 0 && connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                        poll(&ready, 1, 2000) == 1 && read(client, &first, 1) == 1 && first == 0xff;
    if (client >= 0)
        close(client);
    return serves;
}
}  // namespace

CSer2netProcess::CSer2netProcess(const std::string& ptyPath, const std::string& folder)
{
    const uint16_t port = FreePort();
    const std::string config = folder + "/ser2net.yaml";
    std::ofstream(config) << "connection: &ap\n  accepter: telnet(rfc2217),tcp,127.0.0.1," << port
                          << "\n  connector: serialdev," << std::filesystem::canonical(ptyPath).string()
                          << ",115200e81,local\n  options:\n    kickolduser: true\n";
    m_process = std::make_unique<CChildProcess>(
        std::vector<std::string>{"/usr/sbin/ser2net", "-n", "-u", "-c", config, "-P", folder + "/ser2net.pid"});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!Serves(port)) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("ser2net does not serve port " + std::to_string(port));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    // ser2net lets the next client in once it has seen the probe go.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    m_address = "rfc2217://127.0.0.1:" + std::to_string(port);
}
