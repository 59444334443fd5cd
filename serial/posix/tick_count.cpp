#include "serial/posix/tick_count.h"

#include <chrono>

namespace {
std::function<uint32_t()>& Source()
{
    static std::function<uint32_t()> source;
    return source;
}
}  // namespace

uint32_t CTickCount::Now()
{
    const auto& source = Source();
    return source ? source() : MonotonicMs();
}

void CTickCount::SetSource(std::function<uint32_t()> source)
{
    Source() = std::move(source);
}

uint32_t CTickCount::MonotonicMs()
{
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}
