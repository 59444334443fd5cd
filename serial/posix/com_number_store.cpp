#include "serial/posix/com_number_store.h"

#include "serial/posix/small_file.h"
#include "serial/rfc2217/network_port_address.h"
#include "serial/posix/state_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <sstream>

namespace {
constexpr const char* kHeader = "# apconfig COM numbers 1: number, key, last seen, device, description";
constexpr size_t kMaxFileBytes = 64 * 1024;
constexpr const char* kLockName = "com-numbers.lock";
constexpr const char* kTemporarySuffix = ".new";

// Holds the lock file's flock for one update. A lock that cannot be had
// (ENOLCK where the file system keeps none) is not held: nothing may then be
// written.
class LockFile {
public:
    explicit LockFile(int folder)
        : m_fd(openat(folder, kLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600))
    {
        struct stat info {};
        if (m_fd < 0 || fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            m_error = m_fd < 0 ? errno : EINVAL;
            return;
        }
        // Polled rather than waited for, so a run stopped while holding it
        // (^Z) costs the others a bounded wait, not a hang.
        for (int waited = 0;; waited += 10) {
            if (flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
                m_bHeld = true;
                return;
            }
            if (errno != EWOULDBLOCK && errno != EINTR) {
                m_error = errno;
                return;
            }
            if (waited >= CComNumberStore::kLockWaitMilliseconds) {
                m_error = ETIMEDOUT;
                return;
            }
            usleep(10000);
        }
    }
    ~LockFile()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;
    bool Held() const { return m_bHeld; }
    int Error() const { return m_error; }

private:
    int m_fd;
    bool m_bHeld = false;
    int m_error = 0;
};

// Temporaries left by a run that ended while writing; only a lock holder
// writes one, so under the lock every one is stale.
void RemoveStaleTemporaries(int folder)
{
    const int listing = dup(folder);
    DIR* entries = listing >= 0 ? fdopendir(listing) : nullptr;
    if (!entries) {
        if (listing >= 0)
            close(listing);
        return;
    }
    const std::string prefix = std::string(CComNumberStore::kFileName) + ".";
    const std::string suffix = kTemporarySuffix;
    while (const dirent* entry = readdir(entries)) {
        const std::string name = entry->d_name;
        if (name.size() > prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            unlinkat(folder, name.c_str(), 0);
    }
    closedir(entries);
}

// A name no other run uses at the same time.
std::string TemporaryName()
{
    static std::atomic<unsigned> count{0};
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    char name[96];
    std::snprintf(name, sizeof name, "%s.%ld.%u.%lx%s", CComNumberStore::kFileName, static_cast<long>(getpid()),
                  count++, static_cast<unsigned long>(now.tv_nsec), kTemporarySuffix);
    return name;
}

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

bool CComNumberStore::IsNetworkPort(const ComNumberEntry& entry)
{
    return NetworkPortAddress::IsNetworkName(entry.key);
}

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
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    for (int row = 2; std::getline(lines, line); ++row) {
        const std::vector<std::string> fields = Fields(line);
        int64_t number = 0;
        ComNumberEntry entry;
        if (fields.size() != 5 || !ParseInt(fields[0], number) || !ParseInt(fields[2], entry.lastSeen) ||
            number < 4 || number > 20 || fields[1].empty())
            return "line " + std::to_string(row) + " unreadable";
        entry.number = static_cast<int>(number);
        // A time from the future would keep its number from ever being
        // taken back, and near the top of the range overflow.
        entry.lastSeen = std::clamp<int64_t>(entry.lastSeen, 0, now);
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

void CComNumberStore::SetAside(int folder, const std::string& path, const std::string& problem)
{
    std::string aside = std::string(kFileName) + ".damaged";
    for (int copy = 1; copy < kDamagedCopies; ++copy) {
        struct stat existing {};
        if (fstatat(folder, aside.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT)
            break;
        aside = std::string(kFileName) + ".damaged." + std::to_string(copy);
    }
    // With every copy taken, the last one gives way.
    const bool moved = renameat(folder, kFileName, folder, aside.c_str()) == 0;
    if (!moved)
        unlinkat(folder, kFileName, 0);
    const std::string kept = moved ? ", kept as " + aside : std::string();
    std::fprintf(stderr, "%s: the COM number file %s is damaged (%s)%s; numbering starts afresh\n",
                 program_invocation_short_name, path.c_str(), problem.c_str(), kept.c_str());
}

bool CComNumberStore::ReadFile(int folder, const std::string& path, Table& table, std::string& problem)
{
    table.clear();
    int error = 0;
    const std::optional<std::string> text = CSmallFile::ReadAt(folder, kFileName, kMaxFileBytes, false, &error);
    if (!text && error == ENOENT)
        return true;  // nothing given yet
    if (!text && error != ELOOP && error != EINVAL) {
        struct stat info {};
        const std::string owner = fstatat(folder, kFileName, &info, AT_SYMLINK_NOFOLLOW) == 0
                                      ? "; it belongs to user " + CStateFolder::UserName(info.st_uid)
                                      : std::string();
        problem = "cannot read " + path + " (" + std::strerror(error) + owner + ")";
        return false;
    }
    std::string damage = !text                           ? std::string("not a regular file")
                         : text->size() > kMaxFileBytes ? std::string("too long")
                                                         : Parse(*text, table);
    if (damage.empty())
        return true;
    table.clear();
    SetAside(folder, path, damage);
    return true;
}

int CComNumberStore::WriteFile(int folder, const Table& table)
{
    const std::string aside = TemporaryName();
    const std::string text = Format(table);
    // O_EXCL: never a file or link that is there already.
    const int fd = openat(folder, aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
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
    if (error == 0 && renameat(folder, aside.c_str(), folder, kFileName) != 0)
        error = errno;
    if (error != 0)
        unlinkat(folder, aside.c_str(), 0);
    // The rename itself lasts once the folder is on the disk.
    else if (fsync(folder) != 0 && errno != EINVAL)
        error = errno;
    return error;
}

CComNumberStore::Table CComNumberStore::Update(const std::function<bool(Table&)>& change)
{
    const std::string folderPath = Folder();
    const std::string program = program_invocation_short_name;
    const std::string path = folderPath + "/" + kFileName;
    std::string problem;
    if (m_bOnDisk) {
        CStateFolder folder;
        if (!folder.Open(folderPath)) {
            problem = folderPath.empty() ? std::string("no state folder is known (neither XDG_STATE_HOME nor HOME)")
                                         : folderPath + " " + folder.Problem();
        } else if (LockFile lock(folder.Fd()); !lock.Held()) {
            problem = "cannot lock " + folderPath + "/" + kLockName + " (" +
                      (lock.Error() == EINVAL ? "not a regular file" : std::strerror(lock.Error())) + ")";
            // The numbers given before still hold for this run: the table is
            // replaced whole, so it reads whole without the lock too.
            if (const auto text = CSmallFile::ReadAt(folder.Fd(), kFileName, kMaxFileBytes);
                text && m_memory.empty() && !Parse(*text, m_memory).empty())
                m_memory.clear();
        } else if (Table table; ReadFile(folder.Fd(), path, table, problem)) {
            m_memory = table;
            if (!change(m_memory))
                return m_memory;
            RemoveStaleTemporaries(folder.Fd());
            if (const int error = WriteFile(folder.Fd(), m_memory)) {
                SayOnce(program + ": cannot write " + path + " (" + std::strerror(error) +
                        "): COM numbers are kept for this run only");
                m_bOnDisk = false;
            }
            return m_memory;
        }
        m_bOnDisk = false;
    }
    SayOnce(program + ": " + problem + ": COM numbers are kept for this run only");
    change(m_memory);
    return m_memory;
}
