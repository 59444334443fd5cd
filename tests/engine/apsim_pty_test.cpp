#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/fault_plan_with.h"
#include "protocol/commands.h"
#include "tools/apsim/pty_access_point.h"

namespace {
namespace fs = std::filesystem;
using std::chrono::milliseconds;
constexpr milliseconds kPatience(10000);  // only bounds a broken build

// The host's end: the slave opened the plain way.
class HostLine {
public:
    explicit HostLine(const std::string& path) : m_fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {}
    ~HostLine() { Close(); }
    bool IsOpen() const { return m_fd >= 0; }
    void Close()
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }
    void Send(std::string_view bytes) { ASSERT_EQ(write(m_fd, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // Reads until `count` bytes came, the line ended or nothing came for a
    // long while.
    std::string Receive(size_t count)
    {
        std::string bytes;
        char buffer[65536];
        while (bytes.size() < count) {
            pollfd fd{m_fd, POLLIN, 0};
            if (poll(&fd, 1, kPatience.count()) <= 0)
                break;
            ssize_t size = read(m_fd, buffer, std::min(sizeof buffer, count - bytes.size()));
            if (size <= 0) {
                m_ended = true;
                break;
            }
            bytes.append(buffer, size);
        }
        return bytes;
    }
    // After the device hung up, a read reports the end (0 or EIO) at once.
    bool Ended()
    {
        char byte;
        pollfd fd{m_fd, POLLIN, 0};
        return m_ended || (poll(&fd, 1, kPatience.count()) == 1 && read(m_fd, &byte, 1) <= 0);
    }

private:
    int m_fd;
    bool m_ended = false;
};

class ApsimPty : public testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("apsim_pty_" + std::to_string(getpid()));
        fs::create_directories(folder);
        server.Start();
    }
    void TearDown() override
    {
        server.Stop();
        fs::remove_all(folder);
    }
    std::string Exchange(HostLine& host, std::string_view request, size_t replySize)
    {
        host.Send(request);
        return host.Receive(replySize);
    }

    fs::path folder;
    CPtyAccessPoint server;
};

TEST_F(ApsimPty, AnswersRequestsSentInOnePieceOrByteByByte)
{
    HostLine host(server.SlavePath());
    ASSERT_TRUE(host.IsOpen());
    EXPECT_EQ(Exchange(host, kIdentifyQuestion, 33), kIdentifyAnswer);
    for (char byte : std::string(kNameUpdateCommand) + "one by one\n")
        host.Send(std::string_view(&byte, 1));
    EXPECT_EQ(host.Receive(3), kOkReply);
    ASSERT_TRUE(server.WaitForExchanges(2, kPatience));
    EXPECT_EQ(server.State().name, "one by one");
    EXPECT_EQ(server.Exchanges()[1].command, ApCommand::NameUpdate);
    EXPECT_EQ(server.Received(), std::string(kIdentifyQuestion) + kNameUpdateCommand + "one by one\n");
}

TEST_F(ApsimPty, DeliversTheLargestListingWholeThroughThePtyBuffer)
{
    server.WithModel([](CAccessPointModel& model) { model.State().devices = GenerateDevices(kMaxPairedDevices); });
    HostLine host(server.SlavePath());
    const size_t size = 5 + kMaxPairedDevices * sizeof(LinkRecord);
    std::string reply = Exchange(host, kLinkReadCommand, size);
    ASSERT_EQ(reply.size(), size);
    const LinkRecord last = GeneratedDevice(kMaxPairedDevices - 1);
    EXPECT_EQ(reply.substr(size - sizeof last), std::string(reinterpret_cast<const char*>(&last), sizeof last));
    // The line is still in step afterwards.
    EXPECT_EQ(Exchange(host, kExitCommand, 3), kOkReply);
}

TEST_F(ApsimPty, ServesAgainAfterTheHostReopensItsPort)
{
    {
        HostLine first(server.SlavePath());
        EXPECT_EQ(Exchange(first, kExitCommand, 3), kOkReply);
    }
    HostLine second(server.SlavePath());
    EXPECT_EQ(Exchange(second, kIdentifyQuestion, 33), kIdentifyAnswer);
    EXPECT_FALSE(server.HungUp());
}

TEST_F(ApsimPty, FaultsChangedBetweenExchangesTakeEffect)
{
    HostLine host(server.SlavePath());
    server.SetFaults(With([](FaultPlan& f) { f.garbageBytes = 5; f.cutAfter = 2; }));
    std::string reply = Exchange(host, kExitCommand, 7);
    EXPECT_EQ(reply.size(), 7u);
    EXPECT_EQ(reply.substr(5), "OK");
    server.SetFaults(With([](FaultPlan& f) { f.delayMsPerByte = 1; f.throttle = true; }));
    EXPECT_EQ(Exchange(host, kNameReadCommand, 9), "OK\napsim\n");
    server.SetFaults({});
    EXPECT_EQ(Exchange(host, kExitCommand, 3), kOkReply);
}

TEST_F(ApsimPty, LinksAsComAndRemovesTheLinkOnStop)
{
    ASSERT_FALSE(server.LinkAsCom(folder.string(), 5));
    const fs::path link = folder / "com5";
    EXPECT_EQ(server.LinkPath(), link.string());
    EXPECT_EQ(fs::read_symlink(link), server.SlavePath());
    HostLine host(link.string());
    EXPECT_EQ(Exchange(host, kExitCommand, 3), kOkReply);
    host.Close();
    server.Stop();
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    EXPECT_TRUE(server.HungUp());
    server.Stop();  // again: harmless
}

TEST_F(ApsimPty, ReplacesOnlyADanglingLink)
{
    fs::create_symlink(folder / "gone", folder / "com6");
    EXPECT_FALSE(server.LinkAsCom(folder.string(), 6));
    EXPECT_EQ(fs::read_symlink(folder / "com6"), server.SlavePath());

    std::ofstream(folder / "com7") << "someone's file";
    EXPECT_EQ(server.LinkAsCom(folder.string(), 7), std::errc::file_exists);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder / "com7")));
    EXPECT_EQ(server.LinkAsCom((folder / "missing").string(), 3), std::errc::no_such_file_or_directory);
    // The failed attempts gave up the earlier link.
    EXPECT_EQ(server.LinkPath(), "");
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "com6")));
}

TEST_F(ApsimPty, HangsUpMidReplyAndRemovesTheLink)
{
    ASSERT_FALSE(server.LinkAsCom(folder.string(), 8));
    server.SetFaults(With([](FaultPlan& f) { f.onCommand = ApCommand::NameRead; f.hangupAfter = 5; }));
    HostLine host(server.SlavePath());
    EXPECT_EQ(Exchange(host, kExitCommand, 3), kOkReply);
    EXPECT_EQ(Exchange(host, kNameReadCommand, 9), "OK\nap");
    EXPECT_TRUE(server.WaitForHangup(kPatience));
    EXPECT_TRUE(host.Ended());
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "com8")));
    EXPECT_FALSE(server.WaitForExchanges(3, kPatience));
}

TEST_F(ApsimPty, StopsCleanlyWhileAReplyWaitsForItsPacing)
{
    server.SetFaults(With([](FaultPlan& f) { f.delayMsPerByte = 60000; }));
    HostLine host(server.SlavePath());
    host.Send(kExitCommand);
    ASSERT_TRUE(server.WaitForExchanges(1, kPatience));
    server.Stop();
    EXPECT_TRUE(server.HungUp());
    EXPECT_EQ(host.Receive(3), "");
    EXPECT_TRUE(host.Ended());
}

TEST(ApsimPtyServer, StopsCleanlyWhenNeverStartedAndRefusesASecondStart)
{
    CPtyAccessPoint idle;
    EXPECT_EQ(idle.LinkAsCom("/tmp", 1), std::errc::invalid_argument);
    idle.Stop();
    CPtyAccessPoint server;
    server.Start();
    EXPECT_THROW(server.Start(), std::logic_error);
}

// The program around the server: prints where it serves, answers, records,
// and removes its link on SIGTERM.
TEST_F(ApsimPty, ProgramServesRecordsAndCleansUpOnSigterm)
{
    const fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "apsim";
    if (!fs::exists(program))
        GTEST_SKIP() << "apsim not built beside the tests";
    const fs::path record = folder / "record.txt", state = folder / "state.txt";
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        execl(program.c_str(), "apsim", "--com", "9", "--folder", folder.c_str(), "--devices", "3", "--record",
              record.c_str(), "--state", state.c_str(), nullptr);
        _exit(127);
    }
    close(out[1]);
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    close(out[0]);
    EXPECT_EQ(line, (folder / "com9").string());

    HostLine host(line);
    EXPECT_EQ(Exchange(host, std::string(kLinkDeleteCommand) + std::string("\x01\x00\x5a\x3c\x10\x00\x01\x00", 8), 3),
              kOkReply);
    host.Close();
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "com9")));

    std::ifstream recorded(record);
    std::string first;
    std::getline(recorded, first);
    EXPECT_EQ(first, "LINKDEL 01005a3c10000100");
    std::stringstream stateText;
    stateText << std::ifstream(state).rdbuf();
    EXPECT_NE(stateText.str().find("devices 2\n"), std::string::npos);
}
}  // namespace
