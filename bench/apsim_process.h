#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bench/child_process.h"

// The apsim program beside this executable, serving in a process of its own.
// Its pty is linked as "com<n>" in a temporary folder, never in /dev; the
// folder goes again on destruction.
class CApsimProcess {
public:
    static constexpr int kComNumber = 7;

    // Starts apsim with the extra arguments (devices, faults), at the given
    // niceness: the device stands in for hardware that takes no CPU from the
    // host, so a benchmark may let it go first. Throws std::runtime_error
    // when it does not come up serving.
    explicit CApsimProcess(const std::vector<std::string>& arguments, int niceness = 0);
    ~CApsimProcess();
    CApsimProcess(const CApsimProcess&) = delete;
    CApsimProcess& operator=(const CApsimProcess&) = delete;

    // The folder to give CComPortResolver, where COM<kComNumber> is found.
    const std::string& Folder() const { return m_folder; }
    // The link apsim serves on, for programs that open a path.
    const std::string& LinkPath() const { return m_linkPath; }

    // The apsim program beside this executable.
    static std::string ProgramPath();

private:
    std::string m_folder;
    std::string m_linkPath;
    std::unique_ptr<CChildProcess> m_process;
};
