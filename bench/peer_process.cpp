#include "bench/peer_process.h"

#include <charconv>
#include <sstream>
#include <stdexcept>

namespace {
// A batch of listings on a loaded machine takes seconds; this only keeps a
// stuck peer from stalling the run for ever.
constexpr std::chrono::minutes kBatchPatience(5);
}  // namespace

CPeerProcess::CPeerProcess(const std::string& python, const std::string& script, const std::string& portPath)
    : m_process({python, script, portPath})
{
}

CPeerProcess::Batch CPeerProcess::Run(const std::string& exchange, int count)
{
    if (!m_process.WriteLine("run " + exchange + " " + std::to_string(count)))
        throw std::runtime_error("the peer has gone");
    std::optional<std::string> answer = m_process.ReadLine(kBatchPatience);
    if (!answer)
        throw std::runtime_error("the peer did not answer");
    return ParseAnswer(*answer, count);
}

double CPeerProcess::CpuSeconds()
{
    if (!m_process.WriteLine("cpu"))
        throw std::runtime_error("the peer has gone");
    std::optional<std::string> answer = m_process.ReadLine(kBatchPatience);
    if (!answer)
        throw std::runtime_error("the peer did not answer");
    return ParseCpuAnswer(*answer);
}

double CPeerProcess::ParseCpuAnswer(const std::string& answer)
{
    std::istringstream words(answer);
    std::string status;
    long long nanoseconds = -1;
    if (!(words >> status >> nanoseconds) || status != "cpu" || nanoseconds < 0 || !(words >> std::ws).eof())
        throw std::runtime_error("peer: unexpected answer: " + answer);
    return static_cast<double>(nanoseconds) / 1e9;
}

CPeerProcess::Batch CPeerProcess::ParseAnswer(const std::string& answer, int count)
{
    std::istringstream words(answer);
    std::string status, digest;
    words >> status;
    if (status == "error")
        throw std::runtime_error("peer: " + answer.substr(std::min(answer.size(), size_t{6})));
    if (status != "ok" || !(words >> digest))
        throw std::runtime_error("peer: unexpected answer: " + answer);
    Batch batch;
    const char* end = digest.data() + digest.size();
    auto parsed = std::from_chars(digest.data(), end, batch.digest, 16);
    if (parsed.ec != std::errc() || parsed.ptr != end)
        throw std::runtime_error("peer: bad digest: " + digest);
    double nanoseconds;
    while (words >> nanoseconds)
        batch.roundTrips.push_back(nanoseconds);
    if (!words.eof() || static_cast<int>(batch.roundTrips.size()) != count)
        throw std::runtime_error("peer: expected " + std::to_string(count) + " times: " + answer);
    return batch;
}
