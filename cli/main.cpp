#include <cstdio>

#include "cli/apctl.h"
#include "cli/process_setup.h"
#include "frontend/string_table.h"

int main(int argc, char** argv)
{
    const ProcessStart start = PrepareProcess();
    std::string error;
    const auto options = ParseApctlOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "apctl: %s (see apctl --help)\n", error.c_str());
        return CApctl::kUsage;
    }
    if (options->help) {
        CHeldOutput usage(stdout, start.outClosed);
        usage.Add(ApctlUsage());
        if (usage.Deliver())
            return CApctl::kDone;
        std::fprintf(stderr, "apctl: cannot write the output: %s\n", usage.Error().c_str());
        return CApctl::kOutputFailed;
    }
    ShowTextAs(options->json);
    // The reasons a port cannot be used are the port dialog's, from the
    // resource library; without it they are the system's.
    PrepareResources();
    CStringTable::Load();
    return CApctl(stdout, start.outClosed, stderr, start.errIsTerminal).Run(*options);
}
