// bench_wire: paired device listings through apsim at the line rate
// (--throttle: 11 bits a byte at 115200 baud), timed against the wire time of
// the reply's bytes, every record checked; the CPU time our process spends on
// a listing, against the pyserial peer's on the same listing in the same run.
// With --over-ser2net the device is reached as a network port: ser2net
// serves its pty over RFC 2217, and the target is 1.05 times the wire time.

#include <algorithm>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "protocol/line_settings.h"
#include "bench/apsim_process.h"
#include "bench/bench_port.h"
#include "bench/bench_options.h"
#include "bench/bench_result.h"
#include "bench/expected_replies.h"
#include "bench/peer_process.h"
#include "bench/process_cpu.h"
#include "bench/ser2net_process.h"
#include "protocol/exchanges.h"
#include "serial/posix/com_port_resolver.h"
#include "serial/reply_readers.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr double kBitsPerByte = 11;
constexpr double kBaud = 115200;
constexpr double kTargetRatio = 1.01;
constexpr double kNetworkTargetRatio = 1.05;
constexpr int kTargetCpuRecords = 1000;
constexpr double kTargetCpuSeconds = 0.05;

struct Options {
    std::vector<int> counts;
    // Listings the pyserial peer does as well, for its CPU time.
    std::vector<int> peerCounts;
    int deviceNice = -10;
    std::string python = "/usr/bin/python3";
    std::string peer = BENCH_SOURCE_DIR "/peer_exchanges.py";
    bool overSer2net = false;
};

double WireSeconds(size_t replyBytes)
{
    return static_cast<double>(replyBytes) * kBitsPerByte / kBaud;
}

// The same listing done by the pyserial peer on the same device: the CPU
// time it used, as it reports it.
double PeerListingCpu(const CApsimProcess& device, int count, const Options& options)
{
    std::fprintf(stderr, "bench_wire: the pyserial peer lists %d records at the line rate\n", count);
    CPeerProcess peer(options.python, options.peer, device.LinkPath());
    const double before = peer.CpuSeconds();
    const CPeerProcess::Batch batch = peer.Run("LINKREAD", 0);
    const double cpu = peer.CpuSeconds() - before;
    if (batch.digest != Fnv1a64(ListingPayload(static_cast<size_t>(count))))
        throw std::runtime_error("the peer's listing differs from the device's");
    return cpu;
}

bool MeasureListing(int count, const Options& options)
{
    std::fprintf(stderr, "bench_wire: listing %d records at the line rate (about %.0f s)\n", count,
                 WireSeconds(5 + 22.0 * count));
    CApsimProcess device({"--devices", std::to_string(count), "--throttle"}, options.deviceNice);
    CComPortResolver::SetDeviceFolder(device.Folder());
    SetReplyTimeout(kConversationTimeoutMs);
    CBenchPort port;
    const DCB settings = AccessPointLineSettings();
    std::optional<CSer2netProcess> server;
    if (options.overSer2net)
        server.emplace(device.LinkPath(), device.Folder());
    if (!(server ? port.OpenNamed(server->Address(), &settings) : port.Open(CApsimProcess::kComNumber, &settings)))
        throw std::runtime_error("cannot open the port");
    const double targetRatio = server ? kNetworkTargetRatio : kTargetRatio;
    std::vector<LinkRecord> records;
    std::string failure;
    // Timed from outside: a clock reading per byte would add to the CPU.
    port.StampBytes(false);
    port.StartExchange();
    const double cpuBefore = ProcessCpuSeconds();
    const auto start = Clock::now();
    try {
        ReadPairedDevices(&port, records);
    } catch (int code) {
        failure = "listing failed with code " + std::to_string(code) + " after " + std::to_string(port.BytesRead()) +
                  " bytes";
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    port.Close();

    const std::string what =
        "listing " + std::to_string(count) + " records at the line rate" + (server ? " over RFC 2217" : "");
    if (!failure.empty()) {
        PrintResult(what, failure, "<= " + Fixed(targetRatio, 2) + " x wire time, no byte lost", false);
        return false;
    }
    const size_t replyBytes = (sizeof kOkReply - 1) + kCountBytes + records.size() * sizeof(LinkRecord);
    const double wire = WireSeconds(replyBytes);
    const std::optional<size_t> wrong = FirstWrongRecord(records, static_cast<size_t>(count));
    const double ratio = seconds / wire;
    std::printf("%5d records: %zu reply bytes, %ld read, listed in %.3f s, wire time %.3f s, ratio %.4f, %s\n", count,
                replyBytes, port.BytesRead(), seconds, wire, ratio,
                wrong ? ("record " + std::to_string(*wrong) + " wrong or missing").c_str() : "every record intact");
    PrintResult(what, Fixed(seconds, 3) + " s / wire " + Fixed(wire, 3) + " s = " + Fixed(ratio, 4),
                "<= " + Fixed(targetRatio, 2), ratio <= targetRatio);
    std::optional<double> peerCpu;
    if (!server && std::ranges::find(options.peerCounts, count) != options.peerCounts.end())
        peerCpu = PeerListingCpu(device, count, options);
    std::printf("%5d records: CPU of our process %.3f s%s\n", count, cpu,
                peerCpu ? (", pyserial peer " + Fixed(*peerCpu, 3) + " s").c_str() : "");
    // The target is set for the listing of 1000; other sizes are shown.
    const bool targeted = count == kTargetCpuRecords && !server;
    const bool cpuMet = !targeted || cpu <= kTargetCpuSeconds;
    PrintResult(what + ": CPU of our process" + (peerCpu ? " / pyserial" : ""),
                Fixed(cpu, 3) + " s" + (peerCpu ? " / " + Fixed(*peerCpu, 3) + " s" : ""),
                targeted ? "<= " + Fixed(kTargetCpuSeconds, 2) + " s" : "-",
                targeted ? std::optional<bool>(cpuMet) : std::nullopt);
    PrintResult(what + ": records intact",
                wrong ? "record " + std::to_string(*wrong) + " wrong or missing" : std::to_string(count) + " of " + std::to_string(count),
                "no byte lost", !wrong && port.BytesRead() == static_cast<long>(replyBytes));
    return ratio <= targetRatio && cpuMet && !wrong;
}

bool ParseOptions(int argc, char* argv[], Options& options)
{
    const std::vector<BenchOption> known = {
        // The listings measured, and those the peer does as well.
        {"records", options.counts}, {"peer-records", options.peerCounts},
        // The device's priority, the peer's interpreter and script.
        {"device-nice", options.deviceNice}, {"python", options.python}, {"peer", options.peer},
        // The device as a network port, behind ser2net.
        {"over-ser2net", options.overSer2net, true},
    };
    if (!ParseBenchOptions(argc, argv, known))
        return false;
    if (options.counts.empty())
        options.counts = {1000, 65535};
    if (options.peerCounts.empty())
        options.peerCounts = {1000};
    for (int count : options.counts)
        if (count < 0 || count > 65535)
            return false;
    return true;
}
}  // namespace

int main(int argc, char* argv[])
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: bench_wire [--records N]... [--peer-records N]... [--device-nice N]\n"
                             "                  [--python PATH] [--peer SCRIPT] [--over-ser2net]\n"
                             "  N records from 0 to 65535; default 1000 and 65535, the peer 1000\n");
        return 2;
    }
    bool met = true;
    for (int count : options.counts) {
        try {
            met = MeasureListing(count, options) && met;
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "bench_wire: %s\n", failure.what());
            PrintResult("listing " + std::to_string(count) + " records at the line rate",
                        std::string("failed: ") + failure.what(), "runs", false);
            met = false;
        }
    }
    return met ? 0 : 1;
}
