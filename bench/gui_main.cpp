// bench_gui: the program's main window with its paired devices page, filled
// from apsim (no throttle) with 65 535 devices, under a real display (Xvfb):
// how long after the last reply byte the list is filled and drawn, and the
// program's peak resident memory.
#include <sys/resource.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "protocol/line_settings.h"
#include "app/framework/app_init.h"
#include "app/framework/resource_library.h"
#include "bench/answering_responder.h"
#include "bench/apsim_process.h"
#include "bench/bench_main_dlg.h"
#include "bench/bench_port.h"
#include "bench/bench_options.h"
#include "bench/bench_result.h"
#include "protocol/exchanges.h"
#include "serial/posix/com_port_resolver.h"
#include "serial/reply_readers.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr double kTargetShowSeconds = 2;
constexpr double kTargetRssMb = 150;

struct Options {
    int devices = 65535;
    int deviceNice = -10;
    std::string screenshot;
    int attempts = 3;
};

double Seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

bool ParseOptions(int argc, char* argv[], Options& options)
{
    const std::vector<BenchOption> known = {
        // The device: how many paired devices it holds, its priority.
        {"devices", options.devices}, {"device-nice", options.deviceNice},
        // The runs, and where a picture of the window goes.
        {"attempts", options.attempts}, {"screenshot", options.screenshot},
    };
    return ParseBenchOptions(argc, argv, known) && options.devices >= 0 && options.devices <= 65535 &&
           options.attempts > 0;
}

// One run of the main window on a fresh port, as start-up would run it.
struct Attempt {
    Clock::time_point opened, initialised, drawn, readStart, readEnd;
    int listed = -1;
    std::vector<std::string> shown;

    bool Drawn() const { return drawn != Clock::time_point{}; }
    bool Complete(int devices) const { return listed == devices && shown.empty() && Drawn(); }
};

Attempt RunMainWindow(const Options& options)
{
    CBenchPort port;
    const DCB settings = AccessPointLineSettings();
    if (!port.Open(CApsimProcess::kComNumber, &settings))
        throw std::runtime_error("cannot open the port");
    if (!AccessPointAnswers(&port)) {
        port.Close();
        throw std::runtime_error("the access point did not identify itself");
    }
    SetReplyTimeout(kConversationTimeoutMs);

    CAnsweringResponder responder;
    CUserResponder::Replace(&responder);
    Attempt attempt;
    {
        CBenchMainDlg mainDlg(&port, options.screenshot);
        CDialog::SetMainWnd(&mainDlg);
        port.StartExchange();
        attempt.opened = Clock::now();
        mainDlg.DoModal();
        attempt.initialised = mainDlg.Initialised();
        attempt.drawn = mainDlg.Drawn();
        attempt.listed = mainDlg.ListedEntries();
        attempt.readStart = port.FirstWrite();
        attempt.readEnd = port.LastByte();
    }
    try {
        EndConversation(&port);
    } catch (int) {
    }
    port.Close();
    CUserResponder::Replace(nullptr);
    attempt.shown = responder.Shown();
    return attempt;
}

bool Run(const Options& options)
{
    if (!CResourceLibrary::Load())
        throw std::runtime_error("cannot load the resource library beside the program");
    CApsimProcess device({"--devices", std::to_string(options.devices)}, options.deviceNice);
    CComPortResolver::SetDeviceFolder(device.Folder());

    // A listing the engine loses bytes of ends in a message box and an
    // empty list: counted, and the window is run again for the figures.
    Attempt attempt;
    int failed = 0;
    for (int i = 0; i < options.attempts; ++i) {
        attempt = RunMainWindow(options);
        if (attempt.Complete(options.devices))
            break;
        ++failed;
        std::printf("attempt %d: %d of %d entries, %s\n", i + 1, attempt.listed, options.devices,
                    attempt.shown.empty() ? "never drawn" : ("message box: " + attempt.shown.front()).c_str());
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double rssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    const bool complete = attempt.Complete(options.devices);
    const double read = Seconds(attempt.readEnd - attempt.readStart);
    const double fill = Seconds(attempt.initialised - attempt.readEnd);
    const double show = attempt.Drawn() ? Seconds(attempt.drawn - attempt.initialised) : 0;
    const double beyond = attempt.Drawn() ? Seconds(attempt.drawn - attempt.readEnd) : 0;
    if (complete) {
        std::printf("paired devices page: %d entries; window opened to list drawn %.3f s\n", attempt.listed,
                    Seconds(attempt.drawn - attempt.opened));
        std::printf("  listing read %.3f s, list filled %.3f s after the last byte, drawn %.3f s after that\n", read,
                    fill, show);
    }
    std::printf("  peak RSS %.1f MB\n", rssMb);
    PrintResult("main window runs whose listing failed", std::to_string(failed) + " of " + std::to_string(failed + complete),
                "0", failed == 0);
    if (complete) {
        PrintResult(std::to_string(options.devices) + " entries: listing read time", Fixed(read, 3) + " s", "-");
        PrintResult(std::to_string(options.devices) + " entries filled and drawn beyond their read time",
                    Fixed(beyond, 3) + " s (fill " + Fixed(fill, 3) + " + draw " + Fixed(show, 3) + ")",
                    "<= " + Fixed(kTargetShowSeconds, 1) + " s", beyond <= kTargetShowSeconds);
    } else {
        PrintResult(std::to_string(options.devices) + " entries filled and drawn beyond their read time",
                    "no complete listing in " + std::to_string(options.attempts) + " runs",
                    "<= " + Fixed(kTargetShowSeconds, 1) + " s", false);
    }
    PrintResult("peak RSS of the program", Fixed(rssMb, 1) + " MB", "< " + Fixed(kTargetRssMb, 0) + " MB",
                rssMb < kTargetRssMb);
    return complete && failed == 0 && beyond <= kTargetShowSeconds && rssMb < kTargetRssMb;
}
}  // namespace

int main(int argc, char* argv[])
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: bench_gui [--devices N] [--device-nice N] [--attempts N] [--screenshot FILE.png]\n"
                             "       (under xvfb-run)\n");
        return 2;
    }
    if (!AfxWinInit(&argc, &argv)) {
        std::fprintf(stderr, "bench_gui: no display (run under xvfb-run)\n");
        return 3;
    }
    try {
        return Run(options) ? 0 : 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "bench_gui: %s\n", failure.what());
        PrintResult("GUI benchmark", std::string("failed: ") + failure.what(), "runs", false);
        return 3;
    }
}
