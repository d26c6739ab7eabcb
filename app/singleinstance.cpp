#include "singleinstance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
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

// flock: the kernel drops the lock with the last descriptor of its holder, so a
// killed copy never leaves a stale lock behind the way a pid file would.
class FlockMutex : public NamedMutex {
public:
    explicit FlockMutex(std::string folder) : m_folder(std::move(folder)) {}
    ~FlockMutex() override { Release(); }

    bool OpenExisting(const std::string& name) override
    {
        if (m_folder.empty())
            return false;
        const int fd = ::open(lockPath(m_folder, name).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            return false;
        bool held = false;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
            held = errno == EWOULDBLOCK;
        ::close(fd); // also drops our probing lock when we got it
        return held;
    }

    void Create(const std::string& name) override
    {
        Release();
        if (m_folder.empty())
            return;
        // Close-on-exec: a program started from here (the trading terminal) must
        // not inherit the lock and keep it after this copy has ended.
        const int fd = ::open(lockPath(m_folder, name).c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return;
        }
        m_fd = fd;
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

std::unique_ptr<NamedMutex> makeNamedMutexIn(std::string folder)
{
    return std::make_unique<FlockMutex>(std::move(folder));
}

std::unique_ptr<NamedMutex> makeNamedMutex()
{
    return makeNamedMutexIn(lockFolder(std::getenv("XDG_RUNTIME_DIR")));
}

} // namespace quorvane
