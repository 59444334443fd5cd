// bench_gui: the program's main window with its paired devices page, filled
// from apsim (no throttle) with 65 535 devices, under a real display (Xvfb):
// how long after the last reply byte the list is filled and drawn, and the
// program's peak resident memory.
#include <getopt.h>
#include <sys/resource.h>

#include <cstdio>
#include <stdexcept>

#include "app/framework/app_init.h"
#include "app/framework/resource_library.h"
#include "bench/answering_responder.h"
#include "bench/apsim_process.h"
#include "bench/bench_main_dlg.h"
#include "bench/bench_port.h"
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
};

double Seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

bool ParseOptions(int argc, char* argv[], Options& options)
{
    static const option kLong[] = {{"devices", required_argument, nullptr, 'd'},
                                   {"device-nice", required_argument, nullptr, 'n'},
                                   {"screenshot", required_argument, nullptr, 's'},
                                   {nullptr, 0, nullptr, 0}};
    int option;
    try {
        while ((option = getopt_long(argc, argv, "", kLong, nullptr)) != -1) {
            if (option == 's')
                options.screenshot = optarg;
            else if (option == 'd')
                options.devices = std::stoi(optarg);
            else if (option == 'n')
                options.deviceNice = std::stoi(optarg);
            else
                return false;
        }
    } catch (const std::exception&) {
        return false;
    }
    return optind == argc && options.devices >= 0 && options.devices <= 65535;
}

bool Run(const Options& options)
{
    if (!CResourceLibrary::Load())
        throw std::runtime_error("cannot load the resource library beside the program");
    CApsimProcess device({"--devices", std::to_string(options.devices)}, options.deviceNice);
    CComPortResolver::SetDeviceFolder(device.Folder());
    CBenchPort port;
    const DCB settings = CBenchPort::LineSettings();
    if (!port.Open(CApsimProcess::kComNumber, &settings))
        throw std::runtime_error("cannot open the port");
    bool identified = false;
    try {
        identified = IdentifyAccessPoint(&port);
    } catch (int) {
    }
    if (!identified) {
        port.Close();
        throw std::runtime_error("the access point did not identify itself");
    }
    SetReplyTimeout(kConversationTimeoutMs);

    CAnsweringResponder responder;
    CUserResponder::Replace(&responder);
    Clock::time_point opened, initialised, drawn, readStart, readEnd;
    int listed = -1;
    {
        CBenchMainDlg mainDlg(&port, options.screenshot);
        CDialog::SetMainWnd(&mainDlg);
        port.StartExchange();
        opened = Clock::now();
        mainDlg.DoModal();
        initialised = mainDlg.Initialised();
        drawn = mainDlg.Drawn();
        listed = mainDlg.ListedEntries();
        readStart = port.FirstWrite();
        readEnd = port.LastByte();
    }
    try {
        EndConversation(&port);
    } catch (int) {
    }
    port.Close();
    CUserResponder::Replace(nullptr);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double rssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    const bool complete = listed == options.devices && responder.Shown().empty();
    const bool wasDrawn = drawn != Clock::time_point{};
    const double read = Seconds(readEnd - readStart);
    const double fill = Seconds(initialised - readEnd);
    const double show = wasDrawn ? Seconds(drawn - initialised) : 0;
    const double beyond = wasDrawn ? Seconds(drawn - readEnd) : 0;
    std::printf("paired devices page: %d of %d entries, %zu message boxes; window opened to list drawn %.3f s\n",
                listed, options.devices, responder.Shown().size(), wasDrawn ? Seconds(drawn - opened) : -1.0);
    for (const std::string& text : responder.Shown())
        std::printf("  message box: %s\n", text.c_str());
    std::printf("  listing read %.3f s, list filled %.3f s after the last byte, drawn %.3f s after that\n", read, fill,
                show);
    std::printf("  peak RSS %.1f MB\n", rssMb);
    PrintResult(std::to_string(options.devices) + " entries listed, filled and drawn",
                complete && wasDrawn ? "all " + std::to_string(listed) : std::to_string(listed) + " entries, " +
                                                                           std::to_string(responder.Shown().size()) +
                                                                           " message boxes" + (wasDrawn ? "" : ", never drawn"),
                "all, no message", complete && wasDrawn);
    PrintResult("list filled and drawn beyond its read time (read " + Fixed(read, 2) + " s)",
                Fixed(beyond, 3) + " s (fill " + Fixed(fill, 3) + " + draw " + Fixed(show, 3) + ")",
                "<= " + Fixed(kTargetShowSeconds, 1) + " s", wasDrawn && beyond <= kTargetShowSeconds);
    PrintResult("peak RSS of the program", Fixed(rssMb, 1) + " MB", "< " + Fixed(kTargetRssMb, 0) + " MB",
                rssMb < kTargetRssMb);
    return complete && wasDrawn && beyond <= kTargetShowSeconds && rssMb < kTargetRssMb;
}
}  // namespace

int main(int argc, char* argv[])
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: bench_gui [--devices N] [--device-nice N] [--screenshot FILE.png]   (under xvfb-run)\n");
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
