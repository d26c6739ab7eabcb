// SPDX-License-Identifier: MIT
#include "singleinstance.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <thread>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quorvane {

namespace {

// One lock file per mutex name and user, like a mutex in the user's session.
std::string lockPath(const std::string& folder, const std::string& name)
{
    std::string safe;
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '_' || c == '-' || c == '.';
        safe += plain ? c : '_';
    }
    return folder + "/" + safe + "." + std::to_string(::getuid()) + ".lock";
}

// What a holder writes: "<program> <pid>\n". A record that does not read so
// (a copy from before records were kept, a file someone edited) names nobody.
std::optional<LockHolder> parseRecord(const std::string& record)
{
    std::istringstream in(record);
    LockHolder holder;
    if (!(in >> holder.program >> holder.pid) || holder.pid <= 0 || holder.program.size() > 64)
        return std::nullopt;
    for (const char c : holder.program) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.'))
            return std::nullopt;
    }
    return holder;
}

std::string readRecord(int fd)
{
    char buffer[128];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

bool heldByOther(int fd)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        ::flock(fd, LOCK_UN);
        return false;
    }
    return errno == EWOULDBLOCK;
}

// flock: the kernel drops the lock with the last descriptor of its holder, so a
// killed copy never leaves a stale lock behind the way a pid file would.
class FlockMutex : public NamedMutex {
public:
    FlockMutex(std::string folder, std::string program) : m_folder(std::move(folder)), m_program(std::move(program))
    {
    }
    ~FlockMutex() override { Release(); }

    bool OpenExisting(const std::string& name) override
    {
        if (m_folder.empty())
            return false;
        const int fd = ::open(lockPath(m_folder, name).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            return false;
        const bool held = heldByOther(fd);
        ::close(fd);
        return held;
    }

    bool Create(const std::string& name) override
    {
        Release();
        if (m_folder.empty())
            return true;
        // Close-on-exec: a program started from here (the trading terminal) must
        // not inherit the lock and keep it after this copy has ended.
        const int fd = ::open(lockPath(m_folder, name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return true; // no lock to be had: run unchecked, as with no folder
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool other = errno == EWOULDBLOCK;
            ::close(fd);
            return !other;
        }
        // Written only while locked, so a record always names the live holder.
        const std::string record = m_program + " " + std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, record.data(), record.size(), 0) < 0) {
            // The lock still holds; only the name of the holder is missing.
        }
        m_fd = fd;
        return true;
    }

    std::optional<LockHolder> Holder(const std::string& name) override
    {
        if (m_folder.empty())
            return std::nullopt;
        const int fd = ::open(lockPath(m_folder, name).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            return std::nullopt;
        std::optional<LockHolder> holder;
        // A holder writes its record just after taking the lock; a start at
        // that very moment reads an empty file, so look again for a little while.
        for (int attempt = 0; attempt < 50 && heldByOther(fd); ++attempt) {
            holder = parseRecord(readRecord(fd));
            if (holder)
                break;
            holder = LockHolder();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ::close(fd);
        return holder;
    }

    void Release() override
    {
        if (m_fd < 0)
            return;
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }

private:
    std::string m_folder;
    std::string m_program;
    int m_fd = -1;
};

} // namespace

std::string privateLockFolder(const std::string& base)
{
    const uid_t user = ::geteuid();
    const std::string folder = base + "/quorvane-" + std::to_string(user);
    if (::mkdir(folder.c_str(), 0700) == 0)
        ::chmod(folder.c_str(), 0700); // whatever the umask took away
    else if (errno != EEXIST)
        return {};
    // lstat: a symbolic link planted in the folder's place is not followed.
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != user
        || (info.st_mode & 07777) != 0700)
        return {};
    return folder;
}

std::string lockFolder(const char* runtimeFolder, const std::string& base)
{
    if (runtimeFolder && *runtimeFolder == '/' && ::access(runtimeFolder, W_OK | X_OK) == 0)
        return runtimeFolder;
    return privateLockFolder(base);
}

std::unique_ptr<NamedMutex> makeNamedMutexIn(std::string folder, std::string program)
{
    return std::make_unique<FlockMutex>(std::move(folder), std::move(program));
}

std::unique_ptr<NamedMutex> makeNamedMutex(std::string program)
{
    return makeNamedMutexIn(lockFolder(std::getenv("XDG_RUNTIME_DIR")), std::move(program));
}

std::string describeHolder(const LockHolder& holder)
{
    if (holder.program.empty())
        return "another copy of Quorvane";
    return holder.program + " (pid " + std::to_string(holder.pid) + ")";
}

} // namespace quorvane
