#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "tools/apsim/access_point_model.h"
#include "tools/apsim/reply_schedule.h"

// Serves a CAccessPointModel on a pty from a thread of its own, for tests in
// process and for the apsim program. The slave side is in raw mode before
// anything flows, and the server keeps a slave descriptor of its own open, so
// the host may close and reopen its port without the line hanging up.
// Replies go out as soon as their request is complete, in one write when no
// fault paces or splits them.
class CPtyAccessPoint {
public:
    explicit CPtyAccessPoint(CAccessPointModel model = CAccessPointModel());
    ~CPtyAccessPoint();
    CPtyAccessPoint(const CPtyAccessPoint&) = delete;
    CPtyAccessPoint& operator=(const CPtyAccessPoint&) = delete;

    // Opens the pty and starts serving. Throws std::system_error when the
    // pty cannot be had, std::logic_error when started before.
    void Start();
    // Stops serving, closes the pty and removes the link. Safe to repeat.
    void Stop();
    // The slave's path ("/dev/pts/<n>") once started.
    const std::string& SlavePath() const { return m_slavePath; }

    // Makes "<folder>/com<number>" a symbolic link to the slave, which
    // CComPortResolver then finds as "COM<number>". A dangling link there is
    // replaced; anything else is left alone (file_exists). Removed again on
    // Stop or when the line hangs up. Needs a started server.
    std::error_code LinkAsCom(const std::string& folder, int number);
    // The link made by LinkAsCom while it stands; empty otherwise.
    std::string LinkPath() const;

    // The device's state, faults and records, each under the server's lock;
    // safe at any time, meant for between exchanges.
    void SetFaults(FaultPlan faults);
    AccessPointState State() const;
    std::vector<ExchangeRecord> Exchanges() const;
    std::string Received() const;
    // Runs `action(model)` under the server's lock.
    template <typename Action>
    decltype(auto) WithModel(Action&& action)
    {
        std::lock_guard lock(m_mutex);
        return action(m_model);
    }
    // The hook runs on the serving thread under the server's lock, before
    // each reply goes out; it must not call back into the server.
    void SetExchangeHook(CAccessPointModel::ExchangeHook hook);

    // Waits until `count` requests (unknown lines included) have been
    // completed; false when the time ran out or the line went away first.
    bool WaitForExchanges(size_t count, std::chrono::milliseconds timeout) const;
    // The line has gone: hung up by a fault, failed, or stopped. A hang-up
    // waits until the host has read the bytes sent before it (closing the
    // master would discard them), at most a few seconds.
    bool HungUp() const;
    // Waits until HungUp(); false when the time ran out.
    bool WaitForHangup(std::chrono::milliseconds timeout) const;

private:
    void Serve();
    bool Flush(bool& wantWrite);
    bool TakeInput();
    bool HostHasTakenAll();
    void HangUp();
    void RemoveLinkLocked();
    void CloseAll();

    CAccessPointModel m_model;
    // The serving thread's alone.
    CReplySchedule m_schedule;
    CReplySchedule::Clock::time_point m_lastWrite;
    std::optional<CReplySchedule::Clock::time_point> m_hangupSince;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_lineGone = false;
    std::string m_linkPath;

    std::string m_slavePath;
    int m_master = -1;
    int m_slaveKeeper = -1;
    int m_stopEvent = -1;
    std::thread m_thread;
};
