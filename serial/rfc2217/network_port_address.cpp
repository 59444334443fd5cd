#include "serial/rfc2217/network_port_address.h"

#include <charconv>

bool NetworkPortAddress::IsNetworkName(const std::string& name)
{
    return name.starts_with(kScheme);
}

std::optional<NetworkPortAddress> NetworkPortAddress::Parse(const std::string& name)
{
    if (!IsNetworkName(name))
        return std::nullopt;
    const std::string rest = name.substr(std::char_traits<char>::length(kScheme));
    const size_t colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return std::nullopt;
    NetworkPortAddress address{rest.substr(0, colon), rest.substr(colon + 1)};
    if (address.host.size() > 2 && address.host.front() == '[' && address.host.back() == ']')
        address.host = address.host.substr(1, address.host.size() - 2);
    unsigned number = 0;
    const char* end = address.port.data() + address.port.size();
    const auto [stop, error] = std::from_chars(address.port.data(), end, number);
    if (error != std::errc() || stop != end || number == 0 || number > 65535)
        return std::nullopt;
    return address;
}
