// bench_wire: paired device listings through apsim at the line rate
// (--throttle: 11 bits a byte at 115200 baud), timed against the wire time of
// the reply's bytes, every record checked.
#include <getopt.h>

#include <cstdio>
#include <stdexcept>

#include "protocol/line_settings.h"
#include "bench/apsim_process.h"
#include "bench/bench_port.h"
#include "bench/bench_result.h"
#include "bench/expected_replies.h"
#include "protocol/exchanges.h"
#include "serial/posix/com_port_resolver.h"
#include "serial/reply_readers.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr double kBitsPerByte = 11;
constexpr double kBaud = 115200;
constexpr double kTargetRatio = 1.05;

struct Options {
    std::vector<int> counts;
    int deviceNice = -10;
};

double WireSeconds(size_t replyBytes)
{
    return static_cast<double>(replyBytes) * kBitsPerByte / kBaud;
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
    if (!port.Open(CApsimProcess::kComNumber, &settings))
        throw std::runtime_error("cannot open the port");
    std::vector<LinkRecord> records;
    std::string failure;
    port.StartExchange();
    const auto start = Clock::now();
    try {
        ReadPairedDevices(&port, records);
    } catch (int code) {
        failure = "listing failed with code " + std::to_string(code) + " after " + std::to_string(port.BytesRead()) +
                  " bytes";
    }
    const double seconds = std::chrono::duration<double>(port.LastByte() - start).count();
    port.Close();

    const std::string what = "listing " + std::to_string(count) + " records at the line rate";
    if (!failure.empty()) {
        PrintResult(what, failure, "<= " + Fixed(kTargetRatio, 2) + " x wire time, no byte lost", false);
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
                "<= " + Fixed(kTargetRatio, 2), ratio <= kTargetRatio);
    PrintResult(what + ": records intact",
                wrong ? "record " + std::to_string(*wrong) + " wrong or missing" : std::to_string(count) + " of " + std::to_string(count),
                "no byte lost", !wrong && port.BytesRead() == static_cast<long>(replyBytes));
    return ratio <= kTargetRatio && !wrong;
}

bool ParseOptions(int argc, char* argv[], Options& options)
{
    static const option kLong[] = {{"records", required_argument, nullptr, 'r'},
                                   {"device-nice", required_argument, nullptr, 'n'},
                                   {nullptr, 0, nullptr, 0}};
    int option;
    try {
        while ((option = getopt_long(argc, argv, "", kLong, nullptr)) != -1) {
            if (option == 'r')
                options.counts.push_back(std::stoi(optarg));
            else if (option == 'n')
                options.deviceNice = std::stoi(optarg);
            else
                return false;
        }
    } catch (const std::exception&) {
        return false;
    }
    if (options.counts.empty())
        options.counts = {1000, 65535};
    for (int count : options.counts)
        if (count < 0 || count > 65535)
            return false;
    return optind == argc;
}
}  // namespace

int main(int argc, char* argv[])
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: bench_wire [--records N]... [--device-nice N]\n"
                             "  N records from 0 to 65535; default 1000 and 65535\n");
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
