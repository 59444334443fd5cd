#include "cli/apctl_text.h"

#include <gtest/gtest.h>

#include "cli/apctl_string_ids.h"

namespace {

TEST(ApctlText, ANumberTheTableLacksStillSaysItsArguments)
{
    // Never an empty "apctl: " line, whatever the library holds.
    EXPECT_EQ(CApctlText::Get(57599, {"COM5", "gone"}), "[57599] COM5 gone");
}

TEST(ApctlText, AListIsJoinedInTheTablesWords)
{
    EXPECT_EQ(CApctlText::List({}), "");
    EXPECT_EQ(CApctlText::List({"list"}), "list");
    EXPECT_EQ(CApctlText::List({"list", "name"}), "list and name");
    EXPECT_EQ(CApctlText::List({"list", "name", "status"}), "list, name and status");
}

}  // namespace
