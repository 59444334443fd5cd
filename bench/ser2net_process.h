#pragma once

#include <memory>
#include <string>

#include "bench/child_process.h"

// ser2net serving a pty as an RFC 2217 port on 127.0.0.1, as a serial
// device server would; its configuration is written into folder. Ended on
// destruction.
class CSer2netProcess {
public:
    // Throws std::runtime_error when ser2net does not serve within 20 s.
    CSer2netProcess(const std::string& ptyPath, const std::string& folder);

    // "rfc2217://127.0.0.1:<port>".
    const std::string& Address() const { return m_address; }

private:
    std::unique_ptr<CChildProcess> m_process;
    std::string m_address;
};
