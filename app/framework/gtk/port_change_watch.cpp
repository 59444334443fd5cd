#include "app/framework/port_change_watch.h"

#include <giomm/file.h>
#include <giomm/filemonitor.h>
#include <glibmm/main.h>

#include <string>
#include <vector>

#include "serial/port_list.h"

namespace {
// Lets udev finish its links for a new device before the list is read.
constexpr unsigned kSettleMs = 250;
}  // namespace

struct CPortChangeWatch::Impl {
    std::function<void()> changed;
    std::function<bool()> poll;
    std::vector<Glib::RefPtr<Gio::FileMonitor>> monitors;
    size_t folders = 0;
    sigc::connection settle;
    sigc::connection pace;

    void Watch()
    {
        const std::vector<std::string> watched = CPortList::WatchedFolders();
        folders = watched.size();
        for (const std::string& path : watched) {
            try {
                auto monitor = Gio::File::create_for_path(path)->monitor_directory();
                monitor->signal_changed().connect(sigc::mem_fun(*this, &Impl::OnChanged));
                monitors.push_back(monitor);
            } catch (const Glib::Error&) {
                // No such folder (yet): the folder above reports it appearing.
            }
        }
    }

    void OnChanged(const Glib::RefPtr<Gio::File>&, const Glib::RefPtr<Gio::File>&, Gio::FileMonitorEvent event)
    {
        if (event == Gio::FILE_MONITOR_EVENT_CHANGES_DONE_HINT)
            return;
        // One read after a burst of changes: a plug makes several.
        settle.disconnect();
        settle = Glib::signal_timeout().connect(
            [this] {
                if (changed)
                    changed();
                if (monitors.size() < folders) {
                    monitors.clear();
                    Watch();
                }
                return false;
            },
            kSettleMs);
    }
};

CPortChangeWatch::CPortChangeWatch() : m_impl(std::make_unique<Impl>()) {}

CPortChangeWatch::~CPortChangeWatch()
{
    Stop();
}

void CPortChangeWatch::Start(CDialog*, std::function<void()> changed)
{
    m_impl->changed = std::move(changed);
    m_impl->Watch();
}

void CPortChangeWatch::Poll(unsigned seconds, std::function<bool()> poll)
{
    m_impl->poll = std::move(poll);
    if (m_impl->pace.connected())
        return;
    m_impl->pace = Glib::signal_timeout().connect_seconds(
        [impl = m_impl.get()] {
            // A copy: the call may hand the watch a new poll.
            const std::function<bool()> poll = impl->poll;
            return poll();
        },
        seconds);
}

void CPortChangeWatch::Stop()
{
    m_impl->settle.disconnect();
    m_impl->pace.disconnect();
    m_impl->monitors.clear();
    m_impl->changed = nullptr;
}
