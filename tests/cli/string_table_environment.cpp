#include <gtest/gtest.h>

#include "frontend/string_table.h"

namespace {
// apctl says everything in the resource library's words: every test of it
// runs with the library loaded, as the program does before it parses its
// arguments.
class StringTableEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(CStringTable::Load()); }
};

const testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new StringTableEnvironment);
}  // namespace
