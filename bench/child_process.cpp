#include "bench/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

extern char** environ;

namespace {
void CloseFd(int& fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}
}  // namespace

CChildProcess::CChildProcess(const std::vector<std::string>& argv)
{
    // A child that has gone shows as a failed write, not as the end of the
    // benchmark.
    signal(SIGPIPE, SIG_IGN);
    int input[2], output[2];
    if (pipe2(input, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::system_category(), "pipe");
    if (pipe2(output, O_CLOEXEC) != 0) {
        const int error = errno;
        close(input[0]);
        close(input[1]);
        throw std::system_error(error, std::system_category(), "pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const int error = argv.empty() ? EINVAL : posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(output[1]);
    m_toChild = input[1];
    m_fromChild = output[0];
    if (error != 0) {
        m_pid = -1;
        CloseFd(m_toChild);
        CloseFd(m_fromChild);
        throw std::system_error(error, std::system_category(), "cannot start " + (argv.empty() ? "" : argv[0]));
    }
}

CChildProcess::~CChildProcess()
{
    Stop(SIGTERM);
}

bool CChildProcess::WriteLine(const std::string& line)
{
    const std::string text = line + '\n';
    size_t done = 0;
    while (m_toChild >= 0 && done < text.size()) {
        ssize_t n = write(m_toChild, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return done == text.size();
}

std::optional<std::string> CChildProcess::ReadLine(std::chrono::milliseconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (size_t end = m_pending.find('\n'); end != std::string::npos) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return line;
        }
        if (m_fromChild < 0)
            return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd p{m_fromChild, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char buffer[65536];
        const ssize_t n = read(m_fromChild, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            CloseFd(m_fromChild);
            continue;
        }
        m_pending.append(buffer, static_cast<size_t>(n));
    }
}

int CChildProcess::Stop(int signal)
{
    CloseFd(m_toChild);
    CloseFd(m_fromChild);
    if (m_pid < 0)
        return 0;
    kill(m_pid, signal);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return status;
}
