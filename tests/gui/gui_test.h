#pragma once

#include <gtest/gtest.h>
#include <gtkmm/builder.h>
#include <gtkmm/dialog.h>
#include <sigc++/sigc++.h>

#include <functional>
#include <memory>
#include <string>

#include "app/framework/dialog.h"
#include "app/main_dlg.h"
#include "serial/serial_port.h"
#include "tests/gui/recording_responder.h"
#include "tools/apsim/pty_access_point.h"

// In-process GUI tests: real dialogs from the real resource library, a
// simulated access point on a pty reachable as COM5 through a temporary
// device folder, and message boxes answered by a recording responder. Dialogs
// are driven from the toolkit's own loop once they show, as a user would.
class GuiTest : public testing::Test {
protected:
    static constexpr int kPort = 5;

    void SetUp() override;
    void TearDown() override;

    // Starts the simulated access point holding `state`, linked as COM5.
    void StartDevice(AccessPointState state = {});
    CPtyAccessPoint& Device() { return *m_device; }
    const std::string& DeviceFolder() const { return m_folder; }
    // Opens a port on the device with the conversation's settings: port,
    // when given, else a plain one.
    CSerialPort& OpenPort(std::unique_ptr<CSerialPort> port = nullptr);
    // Runs the main window on a port opened on the device; script acts once
    // the window shows, then the window is closed. Returns DoModal's result.
    int RunMainWindow(std::function<void(CMainDlg&)> script, std::unique_ptr<CSerialPort> port = nullptr);
    // Selects a tab as the user does, with its notifications.
    static void SelectTab(CMainDlg& main, int index);
    // The commands the device has received, in order.
    std::vector<ApCommand> Commands() const;
    // The payloads of the device's exchanges of one command, in order.
    std::vector<std::string> Payloads(ApCommand command) const;
    // Makes the device misbehave as `fault` sets, on every exchange of
    // `command` or only on the nth of them (from 1).
    void FaultOn(ApCommand command, const std::function<void(FaultPlan&)>& fault, size_t nth = 0);
    // Makes the 10000 ms reply time-out pass in a hundredth of the time.
    void SpeedUpClock(uint32_t factor = 100);

    // Runs action once, from the toolkit's loop, when a dialog built from
    // templateId is showing. A dialog that never shows fails the test and
    // every showing dialog is cancelled, so nothing hangs.
    void WhenShown(int templateId, std::function<void(CDialog&)> action);
    static CDialog* FindShown(int templateId);
    // Runs action once from the toolkit's loop, after what is pending now.
    void Later(std::function<void()> action);
    // A key press as the window would receive it from the keyboard.
    static void SendKey(Gtk::Window& window, guint keyval, guint state = 0);
    // Presses a dialog's OK (or Cancel, or the title bar's close box) the way
    // its buttons do.
    static void Respond(CDialog& dialog, int response);
    // Lets the toolkit handle what is pending.
    static void PumpEvents();

    CRecordingResponder m_responder;

private:
    std::string m_folder;
    std::unique_ptr<CPtyAccessPoint> m_device;
    std::unique_ptr<CSerialPort> m_port;
    std::vector<sigc::connection> m_watches;
};

// The text of a string resource.
std::string S(int id);

// Runs the tests on the display; listing them needs none. `program` names the
// test program when there is no display.
int RunTestsOnDisplay(int argc, char** argv, const char* program);
