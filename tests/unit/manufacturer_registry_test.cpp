#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <utility>

#include "protocol/manufacturer_registry.h"

namespace {

// The record whose address is shown as the given six bytes.
LinkRecord Shown(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3, unsigned char b4,
                 unsigned char b5)
{
    // Shown bytes are the record's bytes 4, 5, 3, 0, 1, 2.
    LinkRecord record{};
    record.address[4] = b0;
    record.address[5] = b1;
    record.address[3] = b2;
    record.address[0] = b3;
    record.address[1] = b4;
    record.address[2] = b5;
    return record;
}

class RegistryFixture : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        m_folder = (std::filesystem::temp_directory_path() /
                    ("apconfig-ieee-" + std::string(test->name()) + "-" + std::to_string(std::random_device()())))
                       .string();
        ASSERT_TRUE(std::filesystem::create_directory(m_folder));
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    // The bytes as given, line ends included, on every platform.
    void Write(const std::string& name, const std::string& text)
    {
        std::ofstream(m_folder + "/" + name, std::ios::binary) << text;
    }

    std::string m_folder;
};

TEST_F(RegistryFixture, TheLongestRegisteredBlockNamesTheAddress)
{
    Write("oui.csv",
          "Registry,Assignment,Organization Name,Organization Address\n"
          "MA-L,001A7D,cyber-blue(HK)Ltd,\"Room 1408, Shenzhen CN 518028 \"\n"
          "MA-L,70B3D5,IEEE Registration Authority,445 Hoes Lane Piscataway NJ US 08554 \n"
          "MA-L,00197D,\"Hon Hai Precision Ind. Co.,Ltd.\",\"Building D21 CN\"\n");
    Write("mam.csv",
          "Registry,Assignment,Organization Name,Organization Address\n"
          "MA-M,70B3D5A,\"Medium \"\"Block\"\" Maker\",Somewhere\n");
    Write("oui36.csv",
          "Registry,Assignment,Organization Name,Organization Address\n"
          "MA-S,70B3D5A2F,TELEPLATFORMS,\"Polbina st., 3/1 Moscow  RU 109388 \"\n");
    CManufacturerRegistry registry(m_folder);
    registry.Load();
    EXPECT_EQ(registry.Size(), 5u);

    EXPECT_EQ(registry.Lookup(Shown(0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x13)), "cyber-blue(HK)Ltd");
    EXPECT_EQ(registry.Lookup(Shown(0x00, 0x19, 0x7D, 0x01, 0x02, 0x03)), "Hon Hai Precision Ind. Co.,Ltd.");
    // Inside the IEEE's own large block: the medium block, and inside that
    // the small one, win.
    EXPECT_EQ(registry.Lookup(Shown(0x70, 0xB3, 0xD5, 0x11, 0x22, 0x33)), "IEEE Registration Authority");
    EXPECT_EQ(registry.Lookup(Shown(0x70, 0xB3, 0xD5, 0xA1, 0x22, 0x33)), "Medium \"Block\" Maker");
    EXPECT_EQ(registry.Lookup(Shown(0x70, 0xB3, 0xD5, 0xA2, 0xF4, 0x56)), "TELEPLATFORMS");
    EXPECT_EQ(registry.Lookup(Shown(0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC)), "") << "no block holds it";
}

TEST_F(RegistryFixture, BrokenLinesAndOldEncodingsAreReadWithoutHarm)
{
    Write("oui.csv",
          "Registry,Assignment,Organization Name,Organization Address\n"
          "MA-L,00112\n"
          "MA-L,GGGGGG,Not hex,\n"
          "MA-L,0011223,Seven digits for a large block,\n"
          "MA-X,001122,Unknown registry,\n"
          "MA-L,001122,\"Unclosed quote,\n"
          "\n"
          "garbage without commas\n"
          "MA-L,00AABB,Soci\xe9t\xe9 G\xe9n\xe9rale,Paris\r\n"
          "MA-L,00CCDD,  Padded Name  ,\n"
          "MA-L,00EEFF,\xff\xfe\x81 Bytes,\n"
          "MA-L,0A0B0C,,empty name\n");
    CManufacturerRegistry registry(m_folder);
    registry.Load();
    EXPECT_EQ(registry.Lookup(Shown(0x00, 0xAA, 0xBB, 0, 0, 0)), "Soci\xc3\xa9t\xc3\xa9 G\xc3\xa9n\xc3\xa9rale")
        << "Latin-1 is read as such";
    EXPECT_EQ(registry.Lookup(Shown(0x00, 0xCC, 0xDD, 0, 0, 0)), "Padded Name");
    // Not Windows-1252 either (0x81 is unassigned there): each stray byte
    // becomes a replacement character.
    EXPECT_EQ(registry.Lookup(Shown(0x00, 0xEE, 0xFF, 0, 0, 0)), "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd Bytes");
    EXPECT_EQ(registry.Lookup(Shown(0x00, 0x11, 0x22, 0, 0, 0)), "");
    EXPECT_EQ(registry.Lookup(Shown(0x0A, 0x0B, 0x0C, 0, 0, 0)), "");
    EXPECT_EQ(registry.Size(), 3u);
}

TEST_F(RegistryFixture, CrlfListsAndQuotesInNamesAreReadAsCsv)
{
    Write("oui.csv",
          "Registry,Assignment,Organization Name,Organization Address\r\n"
          "MA-L,001A7D,Last Field Name\r\n"
          "MA-L,001A7E,\"Quoted, Last\"\r\n"
          "MA-L,001A7F,Acme \"Rockets\" Ltd,Somewhere\r\n"
          "MA-L,001A80,\"The \"\"Best\"\" Co.\",\"Street 1,\r\nTown\"\r\n"
          "MA-L,001A81,\"Odd \"Quote\" Inc\",Elsewhere\r\n"
          "MA-L,001A82,After The Break\r\n");
    CManufacturerRegistry registry(m_folder);
    registry.Load();
    const std::pair<unsigned char, const char*> expected[] = {
        {0x7D, "Last Field Name"}, {0x7E, "Quoted, Last"},  {0x7F, "Acme \"Rockets\" Ltd"},
        {0x80, "The \"Best\" Co."}, {0x81, "Odd \"Quote\" Inc"}, {0x82, "After The Break"},
    };
    for (const auto& [last, name] : expected)
        EXPECT_EQ(registry.Lookup(Shown(0x00, 0x1A, last, 0, 0, 0)), name) << name;
    EXPECT_EQ(registry.Size(), 6u);
}

TEST_F(RegistryFixture, AMissingRegistryNamesNothing)
{
    CManufacturerRegistry registry(m_folder + "/absent");
    registry.Load();
    EXPECT_TRUE(registry.IsLoaded());
    EXPECT_EQ(registry.Size(), 0u);
    EXPECT_EQ(registry.Lookup(Shown(0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x13)), "");
}

TEST_F(RegistryFixture, ItIsReadOnce)
{
    Write("oui.csv", "MA-L,001A7D,First,\n");
    CManufacturerRegistry registry(m_folder);
    EXPECT_EQ(registry.Lookup(Shown(0x00, 0x1A, 0x7D, 0, 0, 0)), "") << "nothing before Load";
    registry.Load();
    Write("oui.csv", "MA-L,001A7D,Second,\n");
    registry.Load();
    EXPECT_EQ(registry.Lookup(Shown(0x00, 0x1A, 0x7D, 0, 0, 0)), "First");
}

TEST(DebianRegistry, NamesAWellKnownBlock)
{
    if (!std::filesystem::exists(std::string(CManufacturerRegistry::kDebianFolder) + "/oui.csv"))
        GTEST_SKIP() << "ieee-data is not installed";
    // Windows looks beside the program (the Wine end-to-end test has it so).
    if (CManufacturerRegistry::DefaultFolder() != CManufacturerRegistry::kDebianFolder)
        GTEST_SKIP() << "the lists are not looked for in Debian's folder here";
    CManufacturerRegistry registry;
    registry.Load();
    EXPECT_GT(registry.Size(), 30000u);
    // 00:1B:63 has been Apple's since 2007.
    EXPECT_EQ(registry.Lookup(Shown(0x00, 0x1B, 0x63, 0x01, 0x02, 0x03)), "Apple, Inc.");

    // Every block line of the lists (one line each there) is one block.
    std::set<std::pair<unsigned, uint64_t>> blocks;
    const std::regex block("^(MA-L|MA-M|MA-S|IAB),([0-9A-Fa-f]{6,9}),");
    for (const char* list : {"oui.csv", "mam.csv", "oui36.csv", "iab.csv"}) {
        std::ifstream file(std::string(CManufacturerRegistry::kDebianFolder) + "/" + list);
        std::smatch match;
        for (std::string line; std::getline(file, line);) {
            if (!std::regex_search(line, match, block))
                continue;
            const unsigned bits = match[1] == "MA-L" ? 24 : match[1] == "MA-M" ? 28 : 36;
            if (match[2].length() * 4 == bits)
                blocks.emplace(bits, std::stoull(match[2], nullptr, 16));
        }
    }
    EXPECT_EQ(registry.Size(), blocks.size());
}

}  // namespace
