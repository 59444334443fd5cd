#include "bench/apsim_process.h"

#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {
// Covers a slow start on a loaded machine; measures nothing.
constexpr std::chrono::seconds kStartPatience(20);
}  // namespace

std::string CApsimProcess::ProgramPath()
{
    return (fs::read_symlink("/proc/self/exe").parent_path() / "apsim").string();
}

CApsimProcess::CApsimProcess(const std::vector<std::string>& arguments, int niceness)
{
    std::string pattern = (fs::temp_directory_path() / "apconfig-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    m_folder = pattern;
    std::vector<std::string> argv;
    // nice(1) starts every thread of apsim at that niceness; without the
    // right to raise priority it warns and runs apsim as it is.
    if (niceness != 0)
        argv = {"/usr/bin/nice", "-n", std::to_string(niceness)};
    for (const std::string& arg : {ProgramPath(), std::string("--com"), std::to_string(kComNumber),
                                   std::string("--folder"), m_folder})
        argv.push_back(arg);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    try {
        m_process = std::make_unique<CChildProcess>(argv);
        std::optional<std::string> served = m_process->ReadLine(kStartPatience);
        const std::string expected = m_folder + "/com" + std::to_string(kComNumber);
        if (!served || *served != expected)
            throw std::runtime_error("apsim did not come up serving " + expected);
        m_linkPath = *served;
    } catch (...) {
        m_process.reset();
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
        throw;
    }
}

CApsimProcess::~CApsimProcess()
{
    // SIGTERM lets apsim remove its link before the folder goes.
    m_process->Stop(SIGTERM);
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}
