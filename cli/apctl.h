#pragma once

#include <cstdio>
#include <string>

#include "cli/apctl_options.h"

class CSerialPort;

// One run of apctl: one conversation with the access point, as apconfig
// holds it. The identification first, then the one exchange asked for, then
// the closing command; the answer on out, errors on err in one line each.
class CApctl {
public:
    enum EExit { kDone = 0, kRefused = 1, kNoAnswer = 2, kPortUnusable = 3, kUsage = 64 };

    CApctl(std::FILE* out, std::FILE* err, bool errIsTerminal);
    int Run(const ApctlOptions& options);

private:
    // Checks what can be checked before the port is opened.
    int CheckArguments(const ApctlOptions& options);
    int Exchange(CSerialPort& port, const ApctlOptions& options);
    int Identify();
    // Talks to no access point and opens no port.
    int ListPorts(bool json);
    int List(CSerialPort& port, bool json);
    int Delete(CSerialPort& port, const std::vector<std::string>& addresses);
    int ChangePin(CSerialPort& port, const std::string& current, const std::string& next);
    int ReadName(CSerialPort& port, bool json);
    int ChangeName(CSerialPort& port);
    int Fail(int code, const std::string& message);

    std::FILE* m_pOut;
    std::FILE* m_pErr;
    bool m_bErrIsTerminal;
    std::string m_portName;
    // The new name as it goes on the wire.
    std::string m_utf8Name;
};
