#include "singleinstance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quorvane {

namespace {

std::string lockFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/' && ::access(runtime, W_OK | X_OK) == 0)
        return runtime;
    return "/tmp";
}

// One lock file per mutex name and user, like a mutex in the user's session.
std::string lockPath(const std::string& name)
{
    std::string safe;
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '_' || c == '-' || c == '.';
        safe += plain ? c : '_';
    }
    return lockFolder() + "/" + safe + "." + std::to_string(::getuid()) + ".lock";
}

// flock: the kernel drops the lock with the last descriptor of its holder, so a
// killed copy never leaves a stale lock behind the way a pid file would.
class FlockMutex : public NamedMutex {
public:
    ~FlockMutex() override { Release(); }

    bool OpenExisting(const std::string& name) override
    {
        const int fd = ::open(lockPath(name).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
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
        // Close-on-exec: a program started from here (the trading terminal) must
        // not inherit the lock and keep it after this copy has ended.
        const int fd = ::open(lockPath(name).c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
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
    int m_fd = -1;
};

} // namespace

std::unique_ptr<NamedMutex> MakeNamedMutex() { return std::make_unique<FlockMutex>(); }

} // namespace quorvane
