// Windows' port list read from a key of the test's own (the system's
// SERIALCOMM cannot be written without privileges), and the reasons an open
// failed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "serial/system_error_text.h"
#include "serial/win32/com_port_list.h"
#include "serial/open_failure.h"

namespace {

constexpr const char* kKey = "Software\\apconfig-test\\SERIALCOMM";

class ComPortListTest : public testing::Test {
protected:
    void SetUp() override
    {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\apconfig-test");
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr),
                  ERROR_SUCCESS);
        SetComPortListKey(kKey);
    }
    void TearDown() override
    {
        SetComPortListKey("");
        ::RegCloseKey(m_key);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\apconfig-test");
    }
    void Value(const std::wstring& device, const std::wstring& port, DWORD type = REG_SZ)
    {
        ASSERT_EQ(::RegSetValueExW(m_key, device.c_str(), 0, type, reinterpret_cast<const BYTE*>(port.c_str()),
                                   static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    HKEY m_key = nullptr;
};

TEST(ComPortName, OnlyAPlainComNameHasANumber)
{
    const std::pair<const char*, int> cases[] = {
        {"COM1", 1},   {"COM5", 5},    {"COM20", 20},   {"COM255", 255}, {"COM256", 0}, {"COM0", 0},
        {"COM05", 0},  {"com5", 0},    {"COM", 0},      {"COM5 ", 0},    {" COM5", 0},  {"COM-5", 0},
        {"LPT1", 0},   {"COM1000", 0}, {"COM9x", 0},
    };
    for (const auto& [name, number] : cases)
        EXPECT_EQ(ParseComPortName(name), number) << name;
}

TEST_F(ComPortListTest, PortsComeAscendingWithOddValuesLeftOut)
{
    Value(L"\\Device\\USBSER001", L"COM12");
    Value(L"\\Device\\Serial0", L"COM1");
    Value(L"\\Device\\USBSER000", L"COM5");
    Value(L"\\Device\\Odd", L"COM05");
    Value(L"\\Device\\Printer", L"LPT1");
    Value(L"\\Device\\Expanded", L"COM7", REG_EXPAND_SZ);
    const std::vector<ComPortEntry> ports = ListComPorts();
    ASSERT_EQ(ports.size(), 3u);
    const std::pair<int, const char*> expected[] = {{1, "\\Device\\Serial0"}, {5, "\\Device\\USBSER000"},
                                                   {12, "\\Device\\USBSER001"}};
    for (size_t i = 0; i < ports.size(); ++i) {
        EXPECT_EQ(ports[i].number, expected[i].first);
        EXPECT_EQ(ports[i].name, "COM" + std::to_string(expected[i].first));
        EXPECT_EQ(ports[i].device, expected[i].second);
        EXPECT_EQ(ports[i].friendlyName, "") << "no device of the ports class stands behind a test value";
    }
}

TEST_F(ComPortListTest, ANumberListedTwiceIsListedOnce)
{
    Value(L"\\Device\\B", L"COM3");
    Value(L"\\Device\\A", L"COM3");
    const std::vector<ComPortEntry> ports = ListComPorts();
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].number, 3);
}

TEST_F(ComPortListTest, NoKeyNoPorts)
{
    SetComPortListKey("Software\\apconfig-test\\absent");
    EXPECT_TRUE(ListComPorts().empty());
}

TEST(OpenFailure, WindowsErrorsAreTheDialogsCauses)
{
    const std::pair<int, EPortProblem> cases[] = {
        {ERROR_ACCESS_DENIED, EPortProblem::InUse},   {ERROR_SHARING_VIOLATION, EPortProblem::InUse},
        {ERROR_FILE_NOT_FOUND, EPortProblem::Gone},   {ERROR_PATH_NOT_FOUND, EPortProblem::Gone},
        {ERROR_GEN_FAILURE, EPortProblem::Other},     {ERROR_SEM_TIMEOUT, EPortProblem::Other},
    };
    for (const auto& [error, problem] : cases) {
        const PortAccess access = DescribeOpenFailure("COM5", error);
        EXPECT_EQ(access.problem, problem) << error;
        EXPECT_EQ(access.error, error);
    }
}

TEST(OpenFailure, AnUnknownCauseIsLearntByTryingThePortAgain)
{
    // No COM250 here: the second try finds it gone.
    const PortAccess access = DescribeOpenFailure("COM250", 0);
    EXPECT_EQ(access.problem, EPortProblem::Gone);
    EXPECT_NE(access.error, 0);
}

TEST(SystemErrorText, IsTheSystemsWordsWithoutTheLineEnd)
{
    const std::string text = SystemErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find("ccess"), std::string::npos) << text;
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '.');
    EXPECT_EQ(SystemErrorText(0x3FFFFFFF), "error " + std::to_string(0x3FFFFFFF)) << "no text for it";
}

}  // namespace
