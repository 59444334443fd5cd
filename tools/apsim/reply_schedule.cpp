#include "tools/apsim/reply_schedule.h"

#include <algorithm>

namespace {
bool Paced(const ReplyPlan& plan)
{
    return plan.delayMsPerByte > 0 || plan.throttle;
}
}  // namespace

void CReplySchedule::Push(ReplyPlan plan, Clock::time_point now)
{
    // Silence puts nothing on the line and would never be consumed.
    if (plan.bytes.empty() && !plan.hangupAfter)
        return;
    m_queue.push_back({std::move(plan), now, 0});
}

CReplySchedule::Clock::time_point CReplySchedule::ByteDeadline(const ReplyPlan& plan, Clock::time_point start,
                                                                size_t index)
{
    const auto n = static_cast<long long>(index);
    auto deadline = start + std::chrono::milliseconds(static_cast<long long>(plan.delayMsPerByte) * (n + 1));
    if (plan.throttle)
        deadline += std::chrono::nanoseconds(n * kByteNanosNumerator / kBaud);
    return deadline;
}

size_t CReplySchedule::Limit(const Entry& entry) const
{
    const size_t size = entry.plan.bytes.size();
    return entry.plan.hangupAfter ? std::min(*entry.plan.hangupAfter, size) : size;
}

std::string_view CReplySchedule::Due(Clock::time_point now) const
{
    if (m_queue.empty())
        return {};
    const Entry& head = m_queue.front();
    const size_t limit = Limit(head);
    size_t end = head.sent;
    if (!Paced(head.plan))
        end = limit;
    else
        while (end < limit && ByteDeadline(head.plan, head.start, end) <= now)
            ++end;
    return std::string_view(head.plan.bytes).substr(head.sent, end - head.sent);
}

void CReplySchedule::Consume(size_t count, Clock::time_point now)
{
    if (m_queue.empty())
        return;
    Entry& head = m_queue.front();
    head.sent = std::min(head.sent + count, Limit(head));
    if (head.sent < head.plan.bytes.size() || head.plan.hangupAfter)
        return;
    m_queue.pop_front();
    // The next reply's pacing starts once this one is out, not when queued.
    if (!m_queue.empty())
        m_queue.front().start = std::max(m_queue.front().start, now);
}

std::optional<CReplySchedule::Clock::time_point> CReplySchedule::NextDeadline() const
{
    if (m_queue.empty() || HangupDue())
        return std::nullopt;
    const Entry& head = m_queue.front();
    if (!Paced(head.plan))
        return std::nullopt;
    return ByteDeadline(head.plan, head.start, head.sent);
}

bool CReplySchedule::HangupDue() const
{
    return !m_queue.empty() && m_queue.front().plan.hangupAfter && m_queue.front().sent >= Limit(m_queue.front());
}
