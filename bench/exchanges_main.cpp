// bench_exchanges: round trips of the program's exchanges against a pyserial
// peer on the same simulated access point, both sides taking turns in
// batches so machine noise falls on both alike; then the CPU time the port's
// worker uses while the line is idle, while a request waits for CTS, and
// while CTS is off after a long reply.
#include <poll.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <thread>

#include "protocol/line_settings.h"
#include "bench/apsim_process.h"
#include "bench/bench_port.h"
#include "bench/bench_options.h"
#include "bench/bench_result.h"
#include "bench/cts_switch_driver.h"
#include "bench/expected_replies.h"
#include "bench/peer_process.h"
#include "bench/sample_stats.h"
#include "protocol/exchanges.h"
#include "serial/posix/com_port_resolver.h"
#include "serial/reply_readers.h"

namespace {
using Clock = std::chrono::steady_clock;

struct Options {
    int rounds = 20;
    int shortBatch = 25;  // name reads and PIN changes per batch
    int listBatch = 5;    // listings per batch
    int devices = 1000;
    int idleSeconds = 10;
    double targetRatio = 1.2;  // ours / the peer's median, every exchange
    std::string python = "/usr/bin/python3";
    std::string peer = BENCH_SOURCE_DIR "/peer_exchanges.py";
    int deviceNice = -10;
    std::vector<std::string> only;  // empty: every exchange
    bool idle = true;
};

// One exchange as our side does it: returns the reply after its "OK\n", as
// the peer's digest covers it.
using OurExchange = std::function<std::string(CSerialPort*)>;

struct Exchange {
    const char* name;
    int batch;
    OurExchange run;
    std::string expectedReply;
};

std::string ReadName(CSerialPort* port)
{
    char name[kNameBufferSize];
    if (!ReadDeviceName(port, name))
        throw std::runtime_error("LNAMREAD not acknowledged");
    return std::string(name) + "\n";
}

std::string ChangeSamePin(CSerialPort* port)
{
    if (!ChangePin(port, "0000", "0000"))
        throw std::runtime_error("PINUPDAT not acknowledged");
    return {};
}

std::string ListDevices(CSerialPort* port)
{
    std::vector<LinkRecord> records;
    ReadPairedDevices(port, records);
    const size_t count = records.size();
    std::string reply{static_cast<char>(count & 0xFF), static_cast<char>(count >> 8)};
    reply.append(reinterpret_cast<const char*>(records.data()), count * sizeof(LinkRecord));
    return reply;
}

// Our side's figures: the round trips of the exchanges that succeeded, and
// how many failed (a late byte or a wrong reply).
struct OurSide {
    CSampleStats times;
    int failures = 0;
    std::string firstFailure;
};

// A batch on our side: the port opened for it alone, one untimed exchange,
// then `count` timed ones, each reply checked. A failed exchange is counted
// and the batch goes on, as the program would with the next one.
void RunOurBatch(CBenchPort& port, const Exchange& exchange, OurSide& side)
{
    const DCB settings = AccessPointLineSettings();
    if (!port.Open(CApsimProcess::kComNumber, &settings))
        throw std::runtime_error("cannot open COM" + std::to_string(CApsimProcess::kComNumber));
    // The round trip is timed from outside; a clock reading per byte would
    // cost about as much as the engine's own work on it.
    port.StampBytes(false);
    for (int i = -1; i < exchange.batch; ++i) {
        std::string failure;
        port.StartExchange();
        const auto start = Clock::now();
        try {
            const std::string reply = exchange.run(&port);
            const auto took = Clock::now() - start;
            if (reply != exchange.expectedReply)
                failure = "a reply that differs from the device's";
            else if (i >= 0)
                side.times.Add(std::chrono::duration<double, std::nano>(took).count());
        } catch (int code) {
            failure = "code " + std::to_string(code) + " after " + std::to_string(port.BytesRead()) + " reply bytes";
        } catch (const std::runtime_error& refused) {
            failure = refused.what();
        }
        if (!failure.empty() && side.failures++ == 0)
            side.firstFailure = failure;
    }
    port.Close();
}

void RunPeerBatch(CPeerProcess& peer, const Exchange& exchange, CSampleStats& stats)
{
    CPeerProcess::Batch batch = peer.Run(exchange.name, exchange.batch);
    if (batch.digest != Fnv1a64(exchange.expectedReply))
        throw std::runtime_error(std::string(exchange.name) + ": the peer's reply differs from the device's");
    for (double nanoseconds : batch.roundTrips)
        stats.Add(nanoseconds);
}

double Ms(double nanoseconds)
{
    return nanoseconds / 1e6;
}

bool CompareExchange(CBenchPort& port, CPeerProcess& peer, const Exchange& exchange, const Options& options)
{
    OurSide side;
    CSampleStats& ours = side.times;
    CSampleStats theirs;
    for (int round = 0; round < options.rounds; ++round) {
        // Each side goes first every other round.
        if (round % 2 == 0) {
            RunOurBatch(port, exchange, side);
            RunPeerBatch(peer, exchange, theirs);
        } else {
            RunPeerBatch(peer, exchange, theirs);
            RunOurBatch(port, exchange, side);
        }
    }
    const double ratio = ours.Median() / theirs.Median();
    std::printf("%-9s n=%-4zu ours median %8.3f ms p99 %8.3f ms | pyserial median %8.3f ms p99 %8.3f ms | "
                "ratio %.2f\n",
                exchange.name, ours.Count(), Ms(ours.Median()), Ms(ours.Percentile(99)), Ms(theirs.Median()),
                Ms(theirs.Percentile(99)), ratio);
    const bool met = ours.Count() != 0 && ratio <= options.targetRatio;
    PrintResult(std::string(exchange.name) + " round trip, ours/pyserial (median)",
                Fixed(Ms(ours.Median()), 3) + " / " + Fixed(Ms(theirs.Median()), 3) + " ms = " + Fixed(ratio, 2),
                "<= " + Fixed(options.targetRatio, 2), met);
    PrintResult(std::string(exchange.name) + " round trip p99, ours / pyserial",
                Fixed(Ms(ours.Percentile(99)), 3) + " / " + Fixed(Ms(theirs.Percentile(99)), 3) + " ms", "-");
    const int attempts = options.rounds * (exchange.batch + 1);
    if (side.failures != 0)
        std::printf("%-9s our side failed %d of %d exchanges; the first: %s\n", exchange.name, side.failures, attempts,
                    side.firstFailure.c_str());
    PrintResult(std::string(exchange.name) + " exchanges that failed on our side",
                std::to_string(side.failures) + " of " + std::to_string(attempts), "0", side.failures == 0);
    return met && side.failures == 0;
}

bool MeasureIdleWorker(CBenchPort& port, const Options& options)
{
    const DCB settings = AccessPointLineSettings();
    if (!port.Open(CApsimProcess::kComNumber, &settings))
        throw std::runtime_error("cannot open the port for the idle measurement");
    const auto cpuBefore = port.WorkerCpuTime();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(options.idleSeconds));
    const auto cpu = port.WorkerCpuTime() - cpuBefore;
    const auto wall = Clock::now() - wallBefore;
    port.Close();
    const double percent = 100.0 * std::chrono::duration<double>(cpu).count() / std::chrono::duration<double>(wall).count();
    std::printf("idle worker: %.3f ms CPU in %.1f s = %.4f %% of a core\n", std::chrono::duration<double, std::milli>(cpu).count(),
                std::chrono::duration<double>(wall).count(), percent);
    const bool met = percent < 1.0;
    PrintResult("worker CPU while idle (" + std::to_string(options.idleSeconds) + " s, port open)",
                Fixed(percent, 4) + " % of a core", "< 1 %", met);
    return met;
}

// The CPU share of a thread that only sleeps ms at a time until stopped.
double BareSleepPercent(uint32_t ms, const std::atomic<bool>& stop)
{
    const auto threadCpu = [] {
        timespec used{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
        return static_cast<double>(used.tv_sec) + used.tv_nsec / 1e9;
    };
    const double cpuBefore = threadCpu();
    const auto wallBefore = Clock::now();
    while (!stop)
        poll(nullptr, 0, static_cast<int>(ms));
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    return 100.0 * (threadCpu() - cpuBefore) / wall;
}

// A name read whose request waits in the transmit ring while CTS is held
// off: the worker's CPU meanwhile, then the request must go out and be
// answered once CTS comes on.
bool MeasureCtsHeldOff(const Options& options)
{
    auto driver = std::make_unique<CCtsSwitchDriver>();
    CCtsSwitchDriver& cts = *driver;
    CBenchPort port(std::move(driver));
    cts.HoldCtsOff(true);
    const DCB settings = AccessPointLineSettings();
    if (!port.Open(CApsimProcess::kComNumber, &settings))
        throw std::runtime_error("cannot open the port for the CTS measurement");
    port.WriteString(kNameReadCommand);
    // Alongside, a thread that does nothing but sleep the look period: what
    // the wake-ups alone cost on this machine.
    std::atomic<bool> stop{false};
    double floorPercent = 0;
    std::thread floor([&] { floorPercent = BareSleepPercent(CSerialPort::kCtsLookMs, stop); });
    const auto cpuBefore = port.WorkerCpuTime();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(options.idleSeconds));
    const auto cpu = port.WorkerCpuTime() - cpuBefore;
    const auto wall = Clock::now() - wallBefore;
    stop = true;
    floor.join();
    cts.HoldCtsOff(false);
    std::string reply;
    try {
        if (ExpectOk(&port))
            for (char byte = 0; byte != '\n' && reply.size() <= static_cast<size_t>(kMaxNameReplyBytes);)
                reply.push_back(byte = ReadReplyByte(&port));
    } catch (int) {
    }
    port.Close();
    const double percent = 100.0 * std::chrono::duration<double>(cpu).count() / std::chrono::duration<double>(wall).count();
    const bool answered = reply == "apsim\n";
    std::printf("CTS held off: worker %.3f ms CPU in %.1f s = %.4f %% of a core; the request %s once CTS came on\n",
                std::chrono::duration<double, std::milli>(cpu).count(), std::chrono::duration<double>(wall).count(),
                percent, answered ? "went out and was answered" : "was not answered");
    PrintResult("worker CPU while CTS is off and bytes are queued (" + std::to_string(options.idleSeconds) + " s)",
                Fixed(percent, 4) + " % of a core", "< 1 %", percent < 1.0);
    PrintResult("the queued request once CTS comes on", answered ? "sent and answered" : "not answered", "answered",
                answered);
    std::printf("a bare thread sleeping %u ms at a time: %.4f %% of a core\n", CSerialPort::kCtsLookMs, floorPercent);
    PrintResult("a bare " + std::to_string(CSerialPort::kCtsLookMs) + " ms sleep loop on this machine, same run",
                Fixed(floorPercent, 4) + " % of a core", "-");
    return percent < 1.0 && answered;
}

// After a reply longer than the receive ring (a listing), CTS held off with
// nothing to send: the worker must sleep, not wake for an event the reader
// set to have the rest of the reply moved. Then a name read once CTS is on.
bool MeasureCtsOffAfterLongReply(const Options& options)
{
    auto driver = std::make_unique<CCtsSwitchDriver>();
    CCtsSwitchDriver& cts = *driver;
    CBenchPort port(std::move(driver));
    const DCB settings = AccessPointLineSettings();
    if (!port.Open(CApsimProcess::kComNumber, &settings))
        throw std::runtime_error("cannot open the port for the CTS measurement after a listing");
    std::vector<LinkRecord> records;
    bool listed = false;
    try {
        ReadPairedDevices(&port, records);
        listed = records.size() == static_cast<size_t>(options.devices);
    } catch (int) {
    }
    cts.HoldCtsOff(true);
    const auto cpuBefore = port.WorkerCpuTime();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(options.idleSeconds));
    const auto cpu = port.WorkerCpuTime() - cpuBefore;
    const auto wall = Clock::now() - wallBefore;
    cts.HoldCtsOff(false);
    std::string reply;
    try {
        reply = ReadName(&port);
    } catch (...) {
    }
    port.Close();
    const double percent = 100.0 * std::chrono::duration<double>(cpu).count() / std::chrono::duration<double>(wall).count();
    const bool answered = reply == "apsim\n";
    const size_t replyBytes = 3 + kCountBytes + records.size() * sizeof(LinkRecord);
    std::printf("CTS off after a %zu-byte listing: worker %.3f ms CPU in %.1f s = %.4f %% of a core; a name read %s\n",
                replyBytes, std::chrono::duration<double, std::milli>(cpu).count(),
                std::chrono::duration<double>(wall).count(), percent, answered ? "answered after" : "failed after");
    const bool met = listed && replyBytes > static_cast<size_t>(CSerialPort::kRingCapacity) && percent < 1.0;
    PrintResult("worker CPU while CTS is off after a reply of more than 4 KB (" + std::to_string(options.idleSeconds) +
                    " s)",
                listed ? Fixed(percent, 4) + " % of a core" : "the listing failed", "< 1 %", met);
    PrintResult("a name read once CTS comes on again", answered ? "answered" : "not answered", "answered", answered);
    return met && answered;
}

bool ParseOptions(int argc, char* argv[], Options& options)
{
    const std::vector<BenchOption> known = {
        // How much is measured: rounds of batches of short exchanges and of
        // listings, the listing's length, the idle measure's time.
        {"rounds", options.rounds}, {"short-batch", options.shortBatch}, {"list-batch", options.listBatch},
        {"devices", options.devices}, {"idle-seconds", options.idleSeconds},
        // The peer's interpreter and script, the device's priority.
        {"python", options.python}, {"peer", options.peer}, {"device-nice", options.deviceNice},
        // Which measures: only the exchanges named (none named: all), and the
        // worker's CPU time or not.
        {"only", options.only}, {"no-idle", options.idle, false},
    };
    return ParseBenchOptions(argc, argv, known) && options.rounds > 0 && options.shortBatch > 0 &&
           options.listBatch > 0 && options.devices >= 0 && options.devices <= 65535 && options.idleSeconds > 0;
}
}  // namespace

int main(int argc, char* argv[])
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: bench_exchanges [--rounds N] [--short-batch N] [--list-batch N] [--devices N]\n"
                     "                       [--idle-seconds S] [--python PATH] [--peer SCRIPT]\n"
                     "                       [--only LNAMREAD|PINUPDAT|LINKREAD]... [--no-idle] [--device-nice N]\n");
        return 2;
    }
    try {
        CApsimProcess device({"--devices", std::to_string(options.devices)}, options.deviceNice);
        CComPortResolver::SetDeviceFolder(device.Folder());
        SetReplyTimeout(kConversationTimeoutMs);
        CPeerProcess peer(options.python, options.peer, device.LinkPath());
        CBenchPort port;

        const std::vector<Exchange> exchanges{
            {"LNAMREAD", options.shortBatch, ReadName, "apsim\n"},
            {"PINUPDAT", options.shortBatch, ChangeSamePin, ""},
            {"LINKREAD", options.listBatch, ListDevices, ListingPayload(static_cast<size_t>(options.devices))},
        };
        std::printf("exchanges: %d rounds, each side a batch per round; LINKREAD of %d records; apsim at nice %d\n",
                    options.rounds, options.devices, options.deviceNice);
        bool met = true;
        for (const Exchange& exchange : exchanges)
            if (options.only.empty() || std::ranges::find(options.only, exchange.name) != options.only.end())
                met = CompareExchange(port, peer, exchange, options) && met;
        if (options.idle) {
            met = MeasureIdleWorker(port, options) && met;
            met = MeasureCtsHeldOff(options) && met;
            met = MeasureCtsOffAfterLongReply(options) && met;
        }
        return met ? 0 : 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "bench_exchanges: %s\n", failure.what());
        PrintResult("exchanges benchmark", std::string("failed: ") + failure.what(), "runs", false);
        return 3;
    }
}
