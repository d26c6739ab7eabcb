// SPDX-License-Identifier: MIT
#pragma once
// Named mutex layer for the single-instance check.
//
// The real implementation is an advisory lock (flock) on a lock file in
// $XDG_RUNTIME_DIR, or else in a private per-user folder below /tmp, named
// after the mutex and the user id. The kernel drops the lock when the holding
// process dies, so a crashed copy never blocks the next start. The holder
// writes its program name and process id into the file, so that the window
// and the headless bridge, which share the lock, can say which of them runs.

#include <memory>
#include <optional>
#include <string>

namespace quorvane {

/// Who holds a named mutex, as the holder recorded it.
struct LockHolder {
    std::string program; ///< "quorvane", "quorvane-bridge"; empty when it recorded nothing
    long pid = 0;        ///< 0 when unknown
};

/// A named, process-wide mutex as the program entry uses it.
class NamedMutex {
public:
    virtual ~NamedMutex() = default;
    /// True when another live process holds a mutex of this name.
    virtual bool OpenExisting(const std::string& name) = 0;
    /// Takes ownership of the named mutex and records this program as its
    /// holder. True when it is now ours; the window does not examine this for
    /// a copy of itself, the bridge does.
    virtual bool Create(const std::string& name) = 0;
    /// Gives up ownership (no-op when not owned).
    virtual void Release() = 0;
    /// The holder of the named mutex when another live process holds it.
    virtual std::optional<LockHolder> Holder(const std::string& name) = 0;
};

/// "quorvane-bridge (pid 1234)", or "another copy of Quorvane" when the holder
/// recorded nothing.
std::string describeHolder(const LockHolder& holder);

/// "<base>/quorvane-<uid>", made with mode 0700 when absent. Empty when it
/// cannot be trusted: not a folder (a symbolic link, a file), owned by another
/// user (who could hold our lock and so keep us from starting), or open to
/// others (mode other than 0700).
std::string privateLockFolder(const std::string& base);

/// Where the lock files go: `runtimeFolder` ($XDG_RUNTIME_DIR) when it is a
/// writable absolute folder, else privateLockFolder(base). Empty: nowhere safe.
std::string lockFolder(const char* runtimeFolder, const std::string& base = "/tmp");

/// A named mutex with its lock files in `folder`, recording `program` as the
/// holder when it takes one. With an empty folder nothing is ever held: the
/// program runs without the single-instance check rather than trusting a
/// folder that someone else controls.
std::unique_ptr<NamedMutex> makeNamedMutexIn(std::string folder, std::string program = "quorvane");

/// The real named mutex of this platform: makeNamedMutexIn(lockFolder($XDG_RUNTIME_DIR), program).
std::unique_ptr<NamedMutex> makeNamedMutex(std::string program = "quorvane");

} // namespace quorvane
