// SPDX-License-Identifier: MIT
#pragma once
// The one place that writes files: the settings file, the signal files and
// both logs go through here. Errors come back as values, so every caller can
// raise its own message for the step that failed.

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane {

/// The step at which a write failed.
enum class FileStep {
    None,   ///< nothing failed
    Create, ///< the file (or its temporary sibling) could not be made
    Open,   ///< an existing file could not be opened for writing
    Write,  ///< writing or flushing failed after the file was open
    Rename, ///< the finished temporary could not take the file's place
    Read,   ///< reading failed after the file was open
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
    /// The name gets a plain file of its own: a symbolic link is replaced
    /// itself, and a file with several hard links is split off, not written
    /// through.
    Replace,
};

struct ReplaceOptions {
    LinkPolicy links = LinkPolicy::Follow;
    /// Mode of a file that did not exist before (the umask still applies).
    unsigned newFileMode = 0666;
    /// Flush to the disk before the rename; costs a disk round trip.
    bool sync = true;
    /// Whether an existing file may be rewritten in place where the atomic
    /// route is closed. Off where a reader must see the old or the new file,
    /// never a mix: the file is then always replaced (a hard link is split
    /// off, a file whose owner a new one could not keep changes hands) or
    /// the write fails.
    bool mayWriteInPlace = true;
};

/// Replaces the content of `path` with `bytes`. Where the folder allows it, a
/// temporary sibling is written and renamed over the file, so a reader never
/// sees half of it and a crash leaves the old content. Where it does not (a
/// read-only folder, a file with several hard links, an owner or group that a
/// new file could not keep, a name too long for the temporary, a full disk, a
/// rename refused as for a file mounted on its own), an existing writable file
/// is rewritten in place; room for a longer text is reserved first, so a full
/// disk fails before a byte of the old content changes. An existing file
/// keeps its owner, group and mode either way.
FileResult replaceFile(const std::string& path, std::string_view bytes, const ReplaceOptions& options = {});

/// Reads the whole of `path` into `bytes`. Anything but a regular file (a FIFO,
/// a device, a folder) is refused with FileStep::Open, without blocking.
FileResult readFile(const std::string& path, std::string& bytes);

/// Reads at most `limit` bytes from the start of `path` into `bytes`; false
/// when it is no regular file (refused without blocking) or cannot be read.
bool readPrefix(const std::string& path, std::size_t limit, std::string& bytes);

/// Appends `bytes` to `path`, creating the file when it does not exist.
FileResult appendToFile(const std::string& path, std::string_view bytes);

} // namespace quorvane
