#include <gtest/gtest.h>

#include "serial/rfc2217/network_port_address.h"

TEST(NetworkPortAddress, HostAndPortOrNothing)
{
    const auto address = NetworkPortAddress::Parse("rfc2217://[::1]:4001");
    ASSERT_TRUE(address);
    EXPECT_EQ(address->host, "::1");
    EXPECT_EQ(address->port, "4001");
    for (const char* bad : {"rfc2217://host", "rfc2217://:4001", "rfc2217://host:0", "rfc2217://host:65536",
                            "rfc2217://host:40x1", "COM5"})
        EXPECT_FALSE(NetworkPortAddress::Parse(bad)) << bad;
}
