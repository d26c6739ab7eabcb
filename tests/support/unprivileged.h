// SPDX-License-Identifier: MIT
#pragma once
// Runs a check as an unprivileged user. Root ignores file permissions, so a
// test of a read-only folder or file means nothing when the suite runs as root
// (as CI does): the check then runs in a child process as "nobody".

#include <filesystem>
#include <functional>
#include <optional>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvane::test {

/// "nobody" and "nogroup" on Debian.
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

/// A user that file permissions hold back.
struct Ownership {
    uid_t uid;
    gid_t gid;
};

/// This process's user, or "nobody" when it runs as root; nullopt when root
/// finds no "nobody" to drop to.
inline std::optional<Ownership> nobodyOrUs()
{
    if (::geteuid() != 0)
        return Ownership{::geteuid(), ::getegid()};
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody)
        return std::nullopt;
    return Ownership{nobody->pw_uid, nobody->pw_gid};
}

/// Runs `fn` with ordinary permissions and returns its text. As root, `fn` runs
/// in a child process that has dropped to "nobody"; when `tree` is given, it is
/// handed to "nobody" first. A text starting with "!" says the run itself failed.
inline std::string runAsOrdinaryUser(const std::function<std::string()>& fn, const std::string& tree = {})
{
    if (::geteuid() != 0)
        return fn();
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody)
        return "!no user nobody";
    if (!tree.empty()) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tree))
            if (::lchown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
                return "!chown failed";
        if (::lchown(tree.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
            return "!chown failed";
    }
    int fds[2];
    if (::pipe(fds) != 0)
        return "!pipe failed";
    const pid_t child = ::fork();
    if (child < 0)
        return "!fork failed";
    if (child == 0) {
        ::close(fds[0]);
        std::string out;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
            out = "!could not drop privileges";
        else
            out = fn();
        const ssize_t written = ::write(fds[1], out.data(), out.size());
        ::_exit(written == static_cast<ssize_t>(out.size()) ? 0 : 1);
    }
    ::close(fds[1]);
    std::string out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "!child failed";
    return out;
}

/// The same for a yes/no check. Give the child a folder it may enter (mode 0777).
inline bool runUnprivileged(const std::function<bool()>& check)
{
    return runAsOrdinaryUser([&] { return std::string(check() ? "yes" : "no"); }) == "yes";
}

} // namespace quorvane::test
