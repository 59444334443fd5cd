#include "serial/posix/com_number_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {
constexpr const char* kHeader = "# apconfig COM numbers 1: number, key, last seen, device, description";
constexpr size_t kMaxFileBytes = 64 * 1024;

// Holds the lock file's flock for one update.
class LockFile {
public:
    explicit LockFile(const std::string& path) : m_fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (m_fd >= 0)
            while (flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~LockFile()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd;
};

bool ParseInt(const std::string& text, int64_t& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && ptr == end;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

// Tabs and line ends would break the line the text is kept in.
std::string OneField(std::string text)
{
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}
}  // namespace

std::string CComNumberStore::Folder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return std::string(state) + "/apconfig";
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    return home && home[0] == '/' ? std::string(home) + "/.local/state/apconfig" : std::string();
}

std::string CComNumberStore::Parse(const std::string& text, Table& table)
{
    table.clear();
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader)
        return "no header";
    std::set<int> numbers;
    std::set<std::string> keys;
    for (int row = 2; std::getline(lines, line); ++row) {
        const std::vector<std::string> fields = Fields(line);
        int64_t number = 0;
        ComNumberEntry entry;
        if (fields.size() != 5 || !ParseInt(fields[0], number) || !ParseInt(fields[2], entry.lastSeen) ||
            number < 4 || number > 20 || fields[1].empty())
            return "line " + std::to_string(row) + " unreadable";
        entry.number = static_cast<int>(number);
        entry.key = fields[1];
        entry.device = fields[3];
        entry.description = fields[4];
        if (!numbers.insert(entry.number).second || !keys.insert(entry.key).second)
            return "line " + std::to_string(row) + " repeats a number or device";
        table.push_back(std::move(entry));
    }
    return {};
}

std::string CComNumberStore::Format(const Table& table)
{
    std::string text = std::string(kHeader) + "\n";
    for (const ComNumberEntry& entry : table)
        text += std::to_string(entry.number) + "\t" + OneField(entry.key) + "\t" + std::to_string(entry.lastSeen) +
                "\t" + OneField(entry.device) + "\t" + OneField(entry.description) + "\n";
    return text;
}

void CComNumberStore::SayOnce(const std::string& message)
{
    if (!m_bSaid)
        std::fprintf(stderr, "%s\n", message.c_str());
    m_bSaid = true;
}

bool CComNumberStore::ReadFile(const std::string& path, Table& table)
{
    table.clear();
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error)
        return true;  // nothing given yet
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string text(kMaxFileBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    std::string problem = text.size() > kMaxFileBytes ? "too long" : Parse(text, table);
    if (problem.empty())
        return true;
    table.clear();
    const std::string aside = path + ".damaged";
    const bool moved = std::rename(path.c_str(), aside.c_str()) == 0;
    const std::string kept = moved ? ", kept as " + aside : std::string();
    std::fprintf(stderr, "%s: the COM number file %s is damaged (%s)%s; numbering starts afresh\n",
                 program_invocation_short_name, path.c_str(), problem.c_str(), kept.c_str());
    return true;
}

int CComNumberStore::WriteFile(const std::string& path, const Table& table)
{
    const std::string aside = path + ".new";
    const std::string text = Format(table);
    const int fd = open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int error = 0;
    for (size_t done = 0; error == 0 && done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n == 0 || errno != EINTR)
            error = n == 0 ? EIO : errno;
    }
    // Written whole before it replaces the table others read.
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(aside.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0)
        unlink(aside.c_str());
    return error;
}

CComNumberStore::Table CComNumberStore::Update(const std::function<bool(Table&)>& change)
{
    const std::string folder = Folder();
    const std::string program = program_invocation_short_name;
    if (m_bOnDisk) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        m_bOnDisk = !folder.empty() && !error;
    }
    if (m_bOnDisk) {
        LockFile lock(folder + "/com-numbers.lock");
        const std::string path = folder + "/com-numbers";
        Table table;
        if (lock.Held() && ReadFile(path, table)) {
            m_memory = table;
            if (!change(m_memory))
                return m_memory;
            if (const int error = WriteFile(path, m_memory)) {
                SayOnce(program + ": cannot write " + path + " (" + std::strerror(error) +
                        "): COM numbers are kept for this run only");
                m_bOnDisk = false;
            }
            return m_memory;
        }
        m_bOnDisk = false;
        // The numbers given before still hold for this run.
        if (m_memory.empty() && !ReadFile(path, m_memory))
            m_memory.clear();
    }
    SayOnce(program + ": no COM number file can be kept in " + (folder.empty() ? "the state folder" : folder) +
            ": COM numbers are kept for this run only");
    change(m_memory);
    return m_memory;
}
