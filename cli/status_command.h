#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

class CSerialPort;

// apctl status: what a declared-state tool needs before it decides anything,
// in one conversation: the port the access point answered on, its paired
// devices and its name, read as apconfig's pages read them.
class CStatusCommand {
public:
    CStatusCommand(std::FILE* out, std::FILE* err, const std::string& portName);
    // Returns apctl's exit status; prints nothing on stdout when a read fails.
    int Run(CSerialPort& port, bool json);

private:
    int ReadDevices(CSerialPort& port);
    int ReadName(CSerialPort& port);
    void PrintJson() const;
    void PrintText() const;
    int Fail(int code, const std::string& message) const;

    std::FILE* m_pOut;
    std::FILE* m_pErr;
    std::string m_portName;
    // Address as displayed, maker in UTF-8 (empty when unknown).
    std::vector<std::pair<std::string, std::string>> m_devices;
    std::string m_utf8Name;
};
