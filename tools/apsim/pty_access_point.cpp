#include "tools/apsim/pty_access_point.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <stdexcept>

#include "tools/apsim/reply_schedule.h"

namespace {
constexpr std::chrono::milliseconds kDrainCheck(2);
constexpr std::chrono::milliseconds kFlipSettle(20);
constexpr std::chrono::seconds kDrainLimit(5);

[[noreturn]] void ThrowErrno(const char* what)
{
    throw std::system_error(errno, std::system_category(), what);
}

timespec Remaining(CReplySchedule::Clock::time_point deadline)
{
    auto left = std::max(deadline - CReplySchedule::Clock::now(), CReplySchedule::Clock::duration::zero());
    auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    return {static_cast<time_t>(nanos / 1'000'000'000), static_cast<long>(nanos % 1'000'000'000)};
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}
}  // namespace

CPtyAccessPoint::CPtyAccessPoint(CAccessPointModel model) : m_model(std::move(model)) {}

CPtyAccessPoint::~CPtyAccessPoint()
{
    Stop();
}

void CPtyAccessPoint::Start()
{
    if (m_master >= 0 || m_thread.joinable())
        throw std::logic_error("the access point is served already");
    try {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0)
            ThrowErrno("posix_openpt");
        char name[PATH_MAX];
        if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 || ptsname_r(m_master, name, sizeof name) != 0)
            ThrowErrno("pty slave");
        m_slavePath = name;
        m_slaveKeeper = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_slaveKeeper < 0)
            ThrowErrno("open pty slave");
        termios tio;
        if (tcgetattr(m_slaveKeeper, &tio) != 0)
            ThrowErrno("tcgetattr");
        cfmakeraw(&tio);
        cfsetspeed(&tio, B115200);
        if (tcsetattr(m_slaveKeeper, TCSANOW, &tio) != 0)
            ThrowErrno("tcsetattr");
        if (fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK) != 0)
            ThrowErrno("fcntl");
        m_stopEvent = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (m_stopEvent < 0)
            ThrowErrno("eventfd");
        m_thread = std::thread(&CPtyAccessPoint::Serve, this);
    } catch (...) {
        CloseAll();
        m_slavePath.clear();
        throw;
    }
}

void CPtyAccessPoint::Stop()
{
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t written = write(m_stopEvent, &one, sizeof one);
        m_thread.join();
    }
    CloseAll();
    std::lock_guard lock(m_mutex);
    RemoveLinkLocked();
    m_lineGone = true;
    m_changed.notify_all();
}

void CPtyAccessPoint::CloseAll()
{
    CloseFd(m_master);
    CloseFd(m_slaveKeeper);
    CloseFd(m_stopEvent);
}

std::error_code CPtyAccessPoint::LinkAsCom(const std::string& folder, int number)
{
    std::lock_guard lock(m_mutex);
    if (m_slavePath.empty() || m_lineGone || number < 1)
        return std::make_error_code(std::errc::invalid_argument);
    RemoveLinkLocked();
    const std::string link = folder + "/com" + std::to_string(number);
    if (symlink(m_slavePath.c_str(), link.c_str()) != 0) {
        int error = errno;
        // Only a dangling link, left by a server that did not stop, is ours
        // to replace.
        struct stat target;
        if (error == EEXIST && stat(link.c_str(), &target) != 0 && errno == ENOENT)
            error = unlink(link.c_str()) == 0 && symlink(m_slavePath.c_str(), link.c_str()) == 0 ? 0 : errno;
        if (error != 0)
            return {error, std::system_category()};
    }
    m_linkPath = link;
    return {};
}

std::string CPtyAccessPoint::LinkPath() const
{
    std::lock_guard lock(m_mutex);
    return m_linkPath;
}

void CPtyAccessPoint::RemoveLinkLocked()
{
    if (m_linkPath.empty())
        return;
    // Leave the link alone if someone has pointed it elsewhere since.
    char target[PATH_MAX];
    ssize_t size = readlink(m_linkPath.c_str(), target, sizeof target);
    if (size >= 0 && std::string(target, size) == m_slavePath)
        unlink(m_linkPath.c_str());
    m_linkPath.clear();
}

void CPtyAccessPoint::SetFaults(FaultPlan faults)
{
    std::lock_guard lock(m_mutex);
    m_model.SetFaults(std::move(faults));
}

AccessPointState CPtyAccessPoint::State() const
{
    std::lock_guard lock(m_mutex);
    return m_model.State();
}

std::vector<ExchangeRecord> CPtyAccessPoint::Exchanges() const
{
    std::lock_guard lock(m_mutex);
    return m_model.Exchanges();
}

std::string CPtyAccessPoint::Received() const
{
    std::lock_guard lock(m_mutex);
    return m_model.Received();
}

void CPtyAccessPoint::SetExchangeHook(CAccessPointModel::ExchangeHook hook)
{
    std::lock_guard lock(m_mutex);
    m_model.SetExchangeHook(std::move(hook));
}

bool CPtyAccessPoint::WaitForExchanges(size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, timeout, [&] { return m_model.Exchanges().size() >= count || m_lineGone; });
    return m_model.Exchanges().size() >= count;
}

bool CPtyAccessPoint::WaitForHangup(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_lineGone; });
}

bool CPtyAccessPoint::HungUp() const
{
    std::lock_guard lock(m_mutex);
    return m_lineGone;
}

// The serving thread: one poll over the stop event and the master, timed
// only while a paced reply waits for its next byte or a hang-up waits for
// the host to take what was sent.
void CPtyAccessPoint::Serve()
{
    bool wantWrite = false;
    for (;;) {
        const short events = POLLIN | (wantWrite ? POLLOUT : 0);
        pollfd fds[2] = {{m_stopEvent, POLLIN, 0}, {m_master, events, 0}};
        auto deadline = m_schedule.HangupDue() ? CReplySchedule::Clock::now() + kDrainCheck
                        : wantWrite            ? std::nullopt
                                               : m_schedule.NextDeadline();
        timespec wait = deadline ? Remaining(*deadline) : timespec{};
        if (ppoll(fds, 2, deadline ? &wait : nullptr, nullptr) < 0 && errno != EINTR)
            break;
        if (fds[0].revents != 0)
            return;
        if ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0 && !TakeInput())
            break;
        if (!Flush(wantWrite) || (m_schedule.HangupDue() && HostHasTakenAll()))
            break;
    }
    HangUp();
}

// Closing the master discards what the host has not read yet, so a hang-up
// waits until the bytes sent have reached the slave (they pass through the
// kernel's flip buffer first) and the host has read them; a host that never
// reads is hung up on after a while all the same.
bool CPtyAccessPoint::HostHasTakenAll()
{
    const auto now = CReplySchedule::Clock::now();
    if (!m_hangupSince)
        m_hangupSince = now;
    int unread = 0;
    if (ioctl(m_slaveKeeper, FIONREAD, &unread) != 0)
        return true;
    return (unread == 0 && now - m_lastWrite >= kFlipSettle) || now - *m_hangupSince >= kDrainLimit;
}

bool CPtyAccessPoint::TakeInput()
{
    char buffer[4096];
    ssize_t size = read(m_master, buffer, sizeof buffer);
    if (size < 0)
        return errno == EAGAIN || errno == EINTR;
    if (size == 0)
        return false;
    std::vector<ReplyPlan> replies;
    {
        std::lock_guard lock(m_mutex);
        replies = m_model.Receive(std::string_view(buffer, size));
    }
    const auto now = CReplySchedule::Clock::now();
    for (ReplyPlan& reply : replies)
        m_schedule.Push(std::move(reply), now);
    m_changed.notify_all();
    return true;
}

// Writes whatever is due; false when the line has failed.
bool CPtyAccessPoint::Flush(bool& wantWrite)
{
    wantWrite = false;
    while (!m_schedule.Empty() && !m_schedule.HangupDue()) {
        const auto now = CReplySchedule::Clock::now();
        std::string_view due = m_schedule.Due(now);
        if (due.empty())
            return true;
        ssize_t written = write(m_master, due.data(), due.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN) {
            wantWrite = true;
            return true;
        }
        if (written < 0)
            return false;
        m_lastWrite = now;
        m_schedule.Consume(static_cast<size_t>(written), now);
        if (static_cast<size_t>(written) < due.size()) {
            wantWrite = true;
            return true;
        }
    }
    return true;
}

void CPtyAccessPoint::HangUp()
{
    CloseFd(m_master);
    CloseFd(m_slaveKeeper);
    std::lock_guard lock(m_mutex);
    RemoveLinkLocked();
    m_lineGone = true;
    m_changed.notify_all();
}
