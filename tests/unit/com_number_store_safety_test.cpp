// The COM number table where something else stands in its folder: a link or a
// FIFO at each name the store reads or writes, a folder others may write, a
// table from the future or damaged again and again. Nothing outside the
// folder is ever written, nothing blocks, and the user is told why once.
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "serial/posix/com_number_store.h"
#include "tests/support/state_home.h"

namespace fs = std::filesystem;

namespace {

using testing::HasSubstr;

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Gives key the lowest number not in the table.
bool Give(CComNumberStore::Table& table, const std::string& key)
{
    int number = 4;
    while (std::any_of(table.begin(), table.end(), [number](const ComNumberEntry& e) { return e.number == number; }))
        ++number;
    table.push_back({number, key, 1, "/dev/x", "X"});
    return true;
}

class ComNumberStoreSafetyTest : public testing::Test {
protected:
    void SetUp() override
    {
        // A blocking open or read would hang here: end the test instead.
        alarm(30);
        fs::create_directories(Folder());
        fs::permissions(Folder(), fs::perms::owner_all);
        std::ofstream(Victim()) << "precious";
    }
    void TearDown() override { alarm(0); }

    std::string Folder() const { return m_state.Folder() + "/apconfig"; }
    std::string Table() const { return Folder() + "/com-numbers"; }
    std::string Victim() const { return m_state.Folder() + "/victim"; }

    // One update as a program makes it: what it said on stderr.
    std::string UpdateSaying(CComNumberStore::Table* table = nullptr, const std::string& key = "k1")
    {
        testing::internal::CaptureStderr();
        CComNumberStore store;
        CComNumberStore::Table got = store.Update([&key](CComNumberStore::Table& t) { return Give(t, key); });
        if (table)
            *table = got;
        return testing::internal::GetCapturedStderr();
    }

    CStateHome m_state;
};

enum class EPlanted { Link, Fifo, Folder };

struct PlantCase {
    const char* name;
    // What stands where, relative to the state folder.
    const char* at;
    EPlanted what;
    // Whether the table is still written (the thing set aside), or the
    // numbers hold for the run only.
    bool written;
    const char* said;
};

class PlantedTest : public ComNumberStoreSafetyTest, public testing::WithParamInterface<PlantCase> {};

TEST_P(PlantedTest, NothingOutsideTheFolderIsWrittenAndNothingBlocks)
{
    const PlantCase& plant = GetParam();
    const std::string at = m_state.Folder() + "/" + plant.at;
    if (plant.what == EPlanted::Folder)
        fs::remove_all(at);
    switch (plant.what) {
    case EPlanted::Link: fs::create_symlink(Victim(), at); break;
    case EPlanted::Fifo: ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); break;
    case EPlanted::Folder:
        fs::create_directory(m_state.Folder() + "/elsewhere");
        fs::create_symlink(m_state.Folder() + "/elsewhere", at);
        break;
    }
    CComNumberStore::Table table;
    const std::string said = UpdateSaying(&table);
    EXPECT_EQ(Contents(Victim()), "precious");
    ASSERT_EQ(table.size(), 1u) << "a number is given either way";
    EXPECT_EQ(table[0].number, 4);
    if (*plant.said) {
        EXPECT_THAT(said, HasSubstr(plant.said));
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    } else {
        EXPECT_EQ(said, "");
    }
    if (plant.what == EPlanted::Folder) {
        EXPECT_TRUE(fs::is_empty(m_state.Folder() + "/elsewhere"));
        return;
    }
    struct stat file {};
    ASSERT_EQ(lstat(Table().c_str(), &file) == 0, plant.written) << said;
    if (plant.written) {
        EXPECT_TRUE(S_ISREG(file.st_mode));
        EXPECT_EQ(file.st_mode & 0777, 0600u);
        CComNumberStore::Table read;
        EXPECT_EQ(CComNumberStore::Parse(Contents(Table()), read), "");
        EXPECT_EQ(read.size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachPlace, PlantedTest,
    testing::Values(PlantCase{"TableLink", "apconfig/com-numbers", EPlanted::Link, true, "is damaged (not a regular"},
                    PlantCase{"TableFifo", "apconfig/com-numbers", EPlanted::Fifo, true, "is damaged (not a regular"},
                    PlantCase{"LockLink", "apconfig/com-numbers.lock", EPlanted::Link, false, "cannot lock"},
                    PlantCase{"LockFifo", "apconfig/com-numbers.lock", EPlanted::Fifo, false, "cannot lock"},
                    // The name a temporary once had.
                    PlantCase{"OldTemporaryLink", "apconfig/com-numbers.new", EPlanted::Link, true, ""},
                    PlantCase{"FolderLink", "apconfig", EPlanted::Folder, false, "is a link"}),
    [](const testing::TestParamInfo<PlantCase>& info) { return info.param.name; });

TEST_F(ComNumberStoreSafetyTest, AFolderOthersMayWriteHoldsNumbersForTheRunOnly)
{
    for (const fs::perms open : {fs::perms::group_write, fs::perms::others_write}) {
        fs::permissions(Folder(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | open);
        CComNumberStore::Table table;
        const std::string said = UpdateSaying(&table);
        EXPECT_EQ(table.size(), 1u);
        EXPECT_THAT(said, HasSubstr(Folder() + " may be changed by other users (mode 07"));
        EXPECT_THAT(said, HasSubstr("kept for this run only"));
        EXPECT_FALSE(fs::exists(Table())) << "nothing written";
        EXPECT_FALSE(fs::exists(Folder() + "/com-numbers.lock"));
    }
}

TEST_F(ComNumberStoreSafetyTest, FoldersAreMadeForTheUserAloneAndTheTableIsTheirsAlone)
{
    fs::remove_all(m_state.Folder());
    EXPECT_EQ(UpdateSaying(), "");
    for (const std::string& folder : {m_state.Folder(), Folder()})
        EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all) << folder;
    EXPECT_EQ(fs::status(Table()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    // Only the table and its lock: the temporary went over the table.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Folder()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"com-numbers", "com-numbers.lock"}));
}

TEST_F(ComNumberStoreSafetyTest, ARootRunLeavesAnotherUsersFolderAloneAndSaysWhose)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to give the folder to another user";
    // The user's own state folder, as root sees it after sudo -E.
    ASSERT_EQ(chown(m_state.Folder().c_str(), 65534, 65534), 0);
    ASSERT_EQ(chown(Folder().c_str(), 65534, 65534), 0);
    const std::string said = UpdateSaying();
    EXPECT_THAT(said, HasSubstr("lies in " + m_state.Folder() + ", which belongs to user "));
    EXPECT_TRUE(fs::is_empty(Folder()));
    // The folder above root's own, but apconfig the user's.
    ASSERT_EQ(chown(m_state.Folder().c_str(), 0, 0), 0);
    EXPECT_THAT(UpdateSaying(), HasSubstr(Folder() + " belongs to user "));
    EXPECT_TRUE(fs::is_empty(Folder()));
}

TEST_F(ComNumberStoreSafetyTest, LastSeenIsReadAsLyingBetweenTheEpochAndNow)
{
    const std::string header = "# apconfig COM numbers 1: number, key, last seen, device, description\n";
    CComNumberStore::Table table;
    const int64_t before = static_cast<int64_t>(std::time(nullptr));
    ASSERT_EQ(CComNumberStore::Parse(header + "4\ta\t9223372036854775807\t/dev/a\tA\n5\tb\t-9223372036854775808\t/dev/b"
                                              "\tB\n6\tc\t7\t/dev/c\tC\n",
                                     table),
              "");
    ASSERT_EQ(table.size(), 3u);
    EXPECT_GE(table[0].lastSeen, before);
    EXPECT_LE(table[0].lastSeen, static_cast<int64_t>(std::time(nullptr)));
    EXPECT_EQ(table[1].lastSeen, 0);
    EXPECT_EQ(table[2].lastSeen, 7);
}

TEST_F(ComNumberStoreSafetyTest, DamagedTablesAreKeptSideBySideUpToABound)
{
    std::vector<std::string> texts;
    for (int i = 0; i < CComNumberStore::kDamagedCopies + 2; ++i) {
        texts.push_back("garbage " + std::to_string(i));
        std::ofstream(Table()) << texts.back();
        EXPECT_THAT(UpdateSaying(), HasSubstr("is damaged"));
    }
    EXPECT_EQ(Contents(Table() + ".damaged"), texts[0]);
    EXPECT_EQ(Contents(Table() + ".damaged.1"), texts[1]);
    EXPECT_EQ(Contents(Table() + ".damaged.8"), texts[8]);
    EXPECT_EQ(Contents(Table() + ".damaged.9"), texts.back()) << "the last copy gives way";
    EXPECT_FALSE(fs::exists(Table() + ".damaged.10"));
}

TEST_F(ComNumberStoreSafetyTest, StaleTemporariesOfARunThatDiedAreRemoved)
{
    const std::string stale = Table() + ".4242.0.1.new";
    std::ofstream(stale) << "half a table";
    UpdateSaying();
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(Table()));
}

}  // namespace
