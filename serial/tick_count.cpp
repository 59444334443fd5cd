#include "serial/tick_count.h"

#include <utility>

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
