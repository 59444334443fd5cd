#include <giomm/init.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>

#include "frontend/string_table.h"
#include "cli/apctl.h"

int main(int argc, char** argv)
{
    // Names and PINs are typed in the locale's character set.
    std::setlocale(LC_ALL, "");
    std::string error;
    const auto options = ParseApctlOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "apctl: %s (see apctl --help)\n", error.c_str());
        return CApctl::kUsage;
    }
    if (options->help) {
        std::fputs(ApctlUsage(), stdout);
        return CApctl::kDone;
    }
    // The reasons a port cannot be used are the port dialog's, from the
    // resource library; without it they are the system's.
    Gio::init();
    CStringTable::Load();
    return CApctl(stdout, stderr, isatty(STDERR_FILENO)).Run(*options);
}
