// SPDX-License-Identifier: MIT
#pragma once
// Looking up the folders of a terminal tree the way the terminal does (letter case
// ignored, exact spelling first), bounded so that a tree with thousands of entries
// or link loops never stalls the window. Shared by the resolution files.

#include <filesystem>
#include <optional>
#include <string>

namespace quorvane {

/// A folder with thousands of users or data folders is looked at only this far.
inline constexpr int kMaxFolderEntries = 4096;
inline constexpr int kMaxWineUsers = 64;

/// Whether `path` is a folder (links followed); a link loop or a missing path is none.
bool isFolder(const std::filesystem::path& path);

/// Whether `path` is a plain file (links followed).
bool isPlainFile(const std::filesystem::path& path);

/// The entry of `parent` named `name` without regard to ASCII letter case, the exact
/// spelling first; a folder when `wantFolder`, else a plain file. nullopt when none of
/// the first kMaxFolderEntries entries is one.
std::optional<std::filesystem::path> childNamed(const std::filesystem::path& parent, const std::string& name,
                                                bool wantFolder);

} // namespace quorvane
