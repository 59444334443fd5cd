// apsim: the simulated access point as a program (see --help).
#include <pthread.h>
#include <signal.h>

#include <iostream>

#include "tools/apsim/apsim_options.h"
#include "tools/apsim/exchange_files.h"
#include "tools/apsim/pty_access_point.h"

int main(int argc, char* argv[])
{
    std::string error;
    std::optional<ApsimOptions> options = ParseApsimOptions(argc, argv, error);
    if (!options) {
        std::cerr << "apsim: " << error << "\nTry 'apsim --help'.\n";
        return 2;
    }
    if (options->help) {
        std::cout << ApsimUsage();
        return 0;
    }

    CExchangeFiles files(options->recordPath, options->statePath);
    if (!files.Open(options->state, error)) {
        std::cerr << "apsim: " << error << '\n';
        return 1;
    }

    // Blocked before the serving thread starts, so only sigwait below sees
    // them and the link is always removed on the way out.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&endSignals, signal);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    CAccessPointModel model(options->state);
    model.SetFaults(options->faults);
    model.SetExchangeHook([&files](const ExchangeRecord& record, const AccessPointState& state) {
        if (!files.Write(record, state))
            std::cerr << "apsim: cannot write the record or state file\n";
    });
    CPtyAccessPoint server(std::move(model));
    try {
        server.Start();
    } catch (const std::exception& failure) {
        std::cerr << "apsim: cannot open a pty: " << failure.what() << '\n';
        return 1;
    }

    std::string served = server.SlavePath();
    if (options->com != 0) {
        if (std::error_code linkError = server.LinkAsCom(options->folder, options->com))
            std::cerr << "apsim: warning: cannot link " << options->folder << "/com" << options->com << ": "
                      << linkError.message() << "; serving " << served << " only\n";
        else
            served = server.LinkPath();
    }
    std::cout << served << std::endl;

    int received = 0;
    sigwait(&endSignals, &received);
    server.Stop();
    return 0;
}
