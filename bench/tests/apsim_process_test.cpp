#include <gtest/gtest.h>

#include <filesystem>

#include "protocol/line_settings.h"
#include "bench/apsim_process.h"
#include "bench/bench_port.h"
#include "bench/expected_replies.h"
#include "protocol/exchanges.h"
#include "serial/posix/com_port_resolver.h"
#include "serial/reply_readers.h"

namespace fs = std::filesystem;

// The setting every benchmark rests on: apsim in its own process, found by
// the program's own port as COM<n> in a temporary folder.
TEST(ApsimProcess, ServesTheProgramsPortOutsideDev)
{
    std::string folder;
    {
        CApsimProcess device({"--devices", "3"});
        folder = device.Folder();
        EXPECT_NE(folder.rfind("/dev", 0), 0u);
        EXPECT_EQ(device.LinkPath(), folder + "/com" + std::to_string(CApsimProcess::kComNumber));
        ASSERT_TRUE(fs::is_symlink(device.LinkPath()));

        CComPortResolver::SetDeviceFolder(folder);
        SetReplyTimeout(10000);
        CBenchPort port;
        const DCB settings = AccessPointLineSettings();
        ASSERT_TRUE(port.Open(CApsimProcess::kComNumber, &settings));
        std::vector<LinkRecord> records;
        port.StartExchange();
        try {
            ReadPairedDevices(&port, records);
        } catch (int code) {
            ADD_FAILURE() << "listing failed with " << code;
        }
        EXPECT_EQ(FirstWrongRecord(records, 3), std::nullopt);
        // "OK\n", the count and three records of 22 bytes.
        EXPECT_EQ(port.BytesRead(), 3 + 2 + 3 * 22);
        EXPECT_LE(port.FirstWrite(), port.LastByte());
        EXPECT_GT(port.WorkerCpuTime().count(), 0);
        port.Close();
        EXPECT_EQ(port.WorkerCpuTime().count(), 0);
        CComPortResolver::SetDeviceFolder("/dev");
    }
    EXPECT_FALSE(fs::exists(folder));
}

TEST(ApsimProcess, ArgumentsApsimRefusesThrow)
{
    EXPECT_THROW(CApsimProcess({"--devices", "70000"}), std::runtime_error);
    EXPECT_THROW(CApsimProcess({"--no-such-option"}), std::runtime_error);
}
