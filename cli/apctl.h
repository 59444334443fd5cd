#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/apctl_options.h"
#include "cli/held_output.h"
#include "protocol/commands.h"

class CSerialPort;

// One run of apctl: one conversation with the access point, as apconfig
// holds it. The identification first, then the one exchange asked for, then
// the closing command; the answer on out once the closing command has gone,
// errors on err in one line each.
class CApctl {
public:
    enum EExit {
        kDone = 0,
        kRefused = 1,
        kOutputFailed = 1,
        kNoAnswer = 2,
        kPortUnusable = 3,
        kUsage = 64,
        // The shell's 128 + signal: SIGINT (Ctrl+C), SIGTERM (Ctrl+Break, the
        // console closed).
        kInterrupted = 130,
        kTerminated = 143,
    };
    // How long an interrupted conversation is given to hear its closing
    // command acknowledged, the rest of a listing coming before it.
    static constexpr int kClosingBudgetMs = 3000;

    // outClosed: out's descriptor was closed when the program started.
    CApctl(std::FILE* out, bool outClosed, std::FILE* err, bool errIsTerminal);
    virtual ~CApctl() = default;
    int Run(const ApctlOptions& options);
    // interruption: 0 while the run may go on, else the status to exit with;
    // looked at between the bytes of an exchange.
    void StopOn(std::function<int()> interruption) { m_interruption = std::move(interruption); }

protected:
    // The port engine the conversation runs on; tests give one over a
    // simulated line.
    virtual std::unique_ptr<CSerialPort> CreatePort();
    int Interrupted() const { return m_interruption ? m_interruption() : 0; }

private:
    // Checks what can be checked before the port is opened.
    int CheckArguments(const ApctlOptions& options);
    int Exchange(CSerialPort& port, const ApctlOptions& options);
    // Address as displayed, maker in UTF-8 (empty when unknown).
    using Devices = std::vector<std::pair<std::string, std::string>>;

    int Identify();
    int ReadDevices(CSerialPort& port, Devices& devices, bool showProgress);
    static std::string DeviceLines(const Devices& devices, const std::string& indent);
    // Talks to no access point and opens no port.
    int ListPorts(bool json);
    // ports add / remove: network ports under COM numbers.
    int CheckPorts(const std::vector<std::string>& arguments);
    int Ports(const std::vector<std::string>& arguments);
    int List(CSerialPort& port, bool json);
    int Delete(CSerialPort& port, const std::vector<std::string>& addresses);
    int ChangePin(CSerialPort& port, const std::string& current, const std::string& next);
    int ReadNameText(CSerialPort& port, char (&name)[kNameBufferSize]);
    int ReadName(CSerialPort& port, bool json);
    int Status(CSerialPort& port, bool json);
    int ChangeName(CSerialPort& port, bool json);
    // Says message (escaped) on err; returns code.
    int Fail(int code, const std::string& message);
    // An exchange ended with a late byte: the port's own reason when it has
    // one (gone, CTS never on), else message, as no answer.
    int Late(const CSerialPort& port, const std::string& message);
    // One exchange the access point acknowledges: kDone when it did, as
    // Late says with `late` when a byte came late, else kRefused with
    // `refused`.
    int Acknowledged(CSerialPort& port, const std::function<bool()>& exchange, const std::string& late,
                     const std::string& refused);
    // Ends an interrupted conversation: what was to be sent is dropped, the
    // closing command goes out and its acknowledgement is awaited, within
    // kClosingBudgetMs, behind whatever the device still sends.
    int EndInterrupted(CSerialPort& port);
    // Delivers the held answer; an output error is the run's outcome unless
    // the exchange had failed already.
    int Deliver(int result);

    CHeldOutput m_out;
    std::FILE* m_pErr;
    bool m_bErrIsTerminal;
    std::string m_portName;
    std::string m_portJsonName;
    // What --port takes back: the COM name, the device path.
    std::string m_portComName;
    std::string m_portPath;
    // The new name as it goes on the wire.
    std::string m_utf8Name;
    std::function<int()> m_interruption;
};
