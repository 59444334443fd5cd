#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/child_process.h"

// The pyserial peer (bench/peer_exchanges.py) as the exchanges benchmark
// drives it: a batch at a time, each batch on a port it opens and closes
// itself, so the two sides can take turns on one line.
class CPeerProcess {
public:
    struct Batch {
        // FNV-1a of the reply after its "OK\n", the same in every exchange.
        uint64_t digest = 0;
        // Round trip of each timed exchange, in nanoseconds.
        std::vector<double> roundTrips;
    };

    CPeerProcess(const std::string& python, const std::string& script, const std::string& portPath);

    // One untimed exchange, then `count` timed ones. Throws
    // std::runtime_error with the peer's own complaint when it fails.
    Batch Run(const std::string& exchange, int count);
    // The CPU time the peer has used so far, in seconds.
    double CpuSeconds();

    // Reads the peer's answer to a batch: "ok <digest hex> <ns>..." or
    // "error <why>". Throws std::runtime_error unless it is a well-formed
    // "ok" with exactly `count` times.
    static Batch ParseAnswer(const std::string& answer, int count);
    // Reads "cpu <ns>" as seconds; throws std::runtime_error otherwise.
    static double ParseCpuAnswer(const std::string& answer);

private:
    CChildProcess m_process;
};
