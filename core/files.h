#pragma once
// The one place that writes files: the settings file, the signal files and
// both logs go through here. Errors come back as values, so every caller can
// raise its own message for the step that failed.

#include <string>
#include <string_view>

namespace quorvane {

/// The step at which a write failed.
enum class FileStep {
    None,   ///< nothing failed
    Create, ///< the file (or its temporary sibling) could not be made
    Open,   ///< an existing file could not be opened for writing
    Write,  ///< writing, flushing or renaming failed after the file was open
};

/// The outcome of a write: true when every byte is in place.
struct FileResult {
    FileStep failed = FileStep::None;
    int error = 0; ///< errno of the failing call
    explicit operator bool() const { return failed == FileStep::None; }
};

/// What to do when the path is a symbolic link.
enum class LinkPolicy {
    Follow,  ///< the link stays and its target gets the new content
    Replace, ///< the link itself is replaced by a plain file
};

struct ReplaceOptions {
    LinkPolicy links = LinkPolicy::Follow;
    /// Mode of a file that did not exist before (the umask still applies).
    unsigned newFileMode = 0666;
    /// Flush to the disk before the rename; costs a disk round trip.
    bool sync = true;
};

/// Replaces the content of `path` with `bytes`. Where the folder allows it, a
/// temporary sibling is written and renamed over the file, so a reader never
/// sees half of it and a crash leaves the old content. Where it does not (a
/// read-only folder, a file with several hard links, an owner or group that a
/// new file could not keep), an existing writable file is rewritten in place.
/// An existing file keeps its owner, group and mode either way.
FileResult replaceFile(const std::string& path, std::string_view bytes, const ReplaceOptions& options = {});

/// Appends `bytes` to `path`, creating the file when it does not exist.
FileResult appendToFile(const std::string& path, std::string_view bytes);

} // namespace quorvane
