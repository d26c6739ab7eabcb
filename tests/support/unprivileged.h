#pragma once
// Runs a check as an unprivileged user. Root ignores file permissions, so a
// test of a read-only folder or file means nothing when the suite runs as root
// (as CI does): the check then runs in a child process as "nobody".

#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvane::test {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

/// Runs `check` in a child process, as "nobody" when we are root; true when
/// it returned true. Give the child a folder it may enter (mode 0777).
inline bool runUnprivileged(const std::function<bool()>& check)
{
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNoGroup) != 0 || ::setuid(kNobody) != 0))
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace quorvane::test
