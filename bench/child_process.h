#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// A program run beside the benchmark with its standard input and output
// on pipes, spoken to a line at a time. Ended (SIGTERM, then reaped) on
// destruction if still running. Starting one ignores SIGPIPE process-wide.
class CChildProcess {
public:
    // Starts argv[0] (a path) with the rest as arguments. Throws
    // std::system_error when it cannot be started.
    explicit CChildProcess(const std::vector<std::string>& argv);
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // False when the child no longer reads.
    bool WriteLine(const std::string& line);
    // The next line without its line feed; nullopt when the child closed
    // its output or said nothing within the patience given.
    std::optional<std::string> ReadLine(std::chrono::milliseconds patience);
    // Sends the signal and waits for the child; returns its wait status.
    int Stop(int signal);

private:
    pid_t m_pid = -1;
    int m_toChild = -1;
    int m_fromChild = -1;
    std::string m_pending;  // read but not yet handed out
};
