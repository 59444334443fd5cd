#include "app/framework/port_change_watch.h"

#include "app/framework/win32/device_change.h"
#include "app/framework/dialog.h"
#include "app/framework/win32/windows_api.h"

namespace {
// The owner's timer that paces the poll.
constexpr UINT_PTR kPollTimer = 0x5043;
}  // namespace

struct CPortChangeWatch::Impl {
    CDialog* owner = nullptr;
    std::function<void()> changed;
    std::function<bool()> poll;
    bool polling = false;
};

CPortChangeWatch::CPortChangeWatch() : m_impl(std::make_unique<Impl>()) {}

CPortChangeWatch::~CPortChangeWatch()
{
    Stop();
}

void CPortChangeWatch::Start(CDialog* pOwner, std::function<void()> changed)
{
    m_impl->owner = pOwner;
    m_impl->changed = std::move(changed);
    // Windows tells every top-level window of a port's arrival and removal.
    pOwner->OnMessage(DeviceChangeMessage(), [impl = m_impl.get()](unsigned long long event, long long data) {
        if (impl->changed && IsPortArrivalOrRemoval(event, data))
            impl->changed();
        return false;
    });
    // Network ports come and go without Windows: apctl says so itself. An
    // apconfig run as administrator still hears an apctl that is not.
    ::ChangeWindowMessageFilterEx(static_cast<HWND>(pOwner->GetSafeHwnd()), NetworkPortsChangedMessage(), MSGFLT_ALLOW,
                                  nullptr);
    pOwner->OnMessage(NetworkPortsChangedMessage(), [impl = m_impl.get()](unsigned long long, long long) {
        if (impl->changed)
            impl->changed();
        return true;
    });
    pOwner->OnMessage(WM_TIMER, [impl = m_impl.get()](unsigned long long timer, long long) {
        if (timer != kPollTimer || !impl->polling)
            return false;
        // A copy: the call may hand the watch a new poll.
        const std::function<bool()> poll = impl->poll;
        if (!poll()) {
            impl->polling = false;
            ::KillTimer(static_cast<HWND>(impl->owner->GetSafeHwnd()), kPollTimer);
        }
        return true;
    });
}

void CPortChangeWatch::Poll(unsigned seconds, std::function<bool()> poll)
{
    m_impl->poll = std::move(poll);
    if (m_impl->polling || !m_impl->owner)
        return;
    m_impl->polling = ::SetTimer(static_cast<HWND>(m_impl->owner->GetSafeHwnd()), kPollTimer, seconds * 1000, nullptr) != 0;
}

void CPortChangeWatch::Stop()
{
    if (m_impl->polling && m_impl->owner && m_impl->owner->GetSafeHwnd())
        ::KillTimer(static_cast<HWND>(m_impl->owner->GetSafeHwnd()), kPollTimer);
    m_impl->polling = false;
    m_impl->changed = nullptr;
}
