#include "protocol/sendable_text.h"

#include <gtest/gtest.h>

#include "protocol/ansi_code_page.h"

// What may go on the wire as a PIN or a name, whoever typed it.
namespace {

using EFault = CSendableText::EFault;

class SendableText : public testing::Test {
protected:
    void SetUp() override { CAnsiCodePage::Select("CP1252"); }
    void TearDown() override { CAnsiCodePage::Select(""); }
};

// Every C0 control, DEL: each anywhere in a PIN or a name.
TEST_F(SendableText, ControlCharactersAreRefusedWherever)
{
    for (int control = 0; control <= 0x7F; control = control == 0x1F ? 0x7F : control + 1) {
        const std::string c(1, static_cast<char>(control));
        for (const std::string& text : {c, "12" + c, c + "34", "1" + c + "2"}) {
            EXPECT_EQ(CSendableText::CheckPin(text), EFault::ControlCharacter) << control;
            std::string utf8 = "kept";
            EXPECT_EQ(CSendableText::CheckName(text, utf8), EFault::ControlCharacter) << control;
            EXPECT_EQ(utf8, "kept");
        }
    }
}

TEST_F(SendableText, PrintableBytesPassUpToTheLimits)
{
    // Space, tilde, and bytes past DEL (the euro sign, U+00A0, y diaeresis).
    for (const std::string& text : {std::string(""), std::string(" ~\x80\xA0\xFF"), std::string(16, '9')})
        EXPECT_EQ(CSendableText::CheckPin(text), EFault::None);
    EXPECT_EQ(CSendableText::CheckPin(std::string(17, '9')), EFault::TooLong);
    std::string utf8;
    EXPECT_EQ(CSendableText::CheckName(std::string(20, '\x80'), utf8), EFault::None);
    EXPECT_EQ(utf8.size(), 60u);
    EXPECT_EQ(CSendableText::CheckName(std::string(21, 'n'), utf8), EFault::TooLong);
    EXPECT_EQ(CSendableText::CheckName("", utf8), EFault::Empty);
}

}  // namespace
