#include "tests/gui/run_as_nobody.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

void ExpectPassesAsNobody(const std::string& test, const std::string& folder, const std::string& environment)
{
    const std::string auth = folder + "/Xauthority";
    if (const char* xauthority = std::getenv("XAUTHORITY"))
        std::filesystem::copy_file(xauthority, auth);
    else
        std::ofstream{auth};
    ASSERT_EQ(chown(auth.c_str(), 65534, 65534), 0);
    const std::string command = "setpriv --reuid=65534 --regid=65534 --clear-groups env XAUTHORITY=" + auth +
                                (environment.empty() ? "" : " " + environment) + " " +
                                std::filesystem::read_symlink("/proc/self/exe").string() +
                                " --gtest_also_run_disabled_tests --gtest_filter=" + test;
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << command;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the child's checks failed: " << command;
}
