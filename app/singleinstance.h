#pragma once
// Named mutex layer for the single-instance check.
//
// The real implementation is an advisory lock (flock) on a lock file in
// $XDG_RUNTIME_DIR, or else in a private per-user folder below /tmp, named
// after the mutex and the user id. The kernel drops the lock when the holding
// process dies, so a crashed copy never blocks the next start.

#include <memory>
#include <string>

namespace quorvane {

/// A named, process-wide mutex as the program entry uses it.
class NamedMutex {
public:
    virtual ~NamedMutex() = default;
    /// True when another live process holds a mutex of this name.
    virtual bool OpenExisting(const std::string& name) = 0;
    /// Takes ownership of the named mutex; the result is not examined by the caller.
    virtual void Create(const std::string& name) = 0;
    /// Gives up ownership (no-op when not owned).
    virtual void Release() = 0;
};

/// "<base>/quorvane-<uid>", made with mode 0700 when absent. Empty when it
/// cannot be trusted: not a folder (a symbolic link, a file), owned by another
/// user (who could hold our lock and so keep us from starting), or open to
/// others (mode other than 0700).
std::string privateLockFolder(const std::string& base);

/// Where the lock files go: `runtimeFolder` ($XDG_RUNTIME_DIR) when it is a
/// writable absolute folder, else privateLockFolder(base). Empty: nowhere safe.
std::string lockFolder(const char* runtimeFolder, const std::string& base = "/tmp");

/// A named mutex with its lock files in `folder`. With an empty folder nothing
/// is ever held: the program runs without the single-instance check rather
/// than trusting a folder that someone else controls.
std::unique_ptr<NamedMutex> makeNamedMutexIn(std::string folder);

/// The real named mutex of this platform: makeNamedMutexIn(lockFolder($XDG_RUNTIME_DIR)).
std::unique_ptr<NamedMutex> makeNamedMutex();

} // namespace quorvane
