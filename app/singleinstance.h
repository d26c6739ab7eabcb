#pragma once
// Named mutex layer for the single-instance check.
//
// The real implementation is an advisory lock (flock) on a lock file in
// $XDG_RUNTIME_DIR or /tmp, named after the mutex and the user id. The kernel
// drops the lock when the holding process dies, so a crashed copy never blocks
// the next start.

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

/// The real named mutex of this platform.
std::unique_ptr<NamedMutex> MakeNamedMutex();

} // namespace quorvane
