#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/framework/resource_library.h"

// Where the program looks for its resource library: the build tree's copy
// beside it first, then the copy the install rules put in the private folder.
namespace {

TEST(ResourceLibrarySearchTest, BesideTheProgramFirstThenWhereTheInstallPutsIt)
{
    const std::filesystem::path installed = APCONFIG_INSTALLED_PROGRAM;
    const std::vector<std::filesystem::path> expected{installed.parent_path() / "liblidany.so",
                                                      APCONFIG_INSTALLED_LIBRARY};
    EXPECT_EQ(CResourceLibrary::SearchPath(installed), expected);
}

TEST(ResourceLibrarySearchTest, InstalledFolderMovesWithTheProgram)
{
    // A DESTDIR or another prefix moves both alike.
    const std::filesystem::path moved = "/tmp/stage" / std::filesystem::path(APCONFIG_INSTALLED_PROGRAM).relative_path();
    const auto search = CResourceLibrary::SearchPath(moved);
    ASSERT_EQ(search.size(), 2u);
    EXPECT_EQ(search[1], "/tmp/stage" / std::filesystem::path(APCONFIG_INSTALLED_LIBRARY).relative_path());
}

}  // namespace
