// SPDX-License-Identifier: MIT
#include "folderlookup.h"

#include "core/text.h"

#include <system_error>

namespace quorvane {

namespace fs = std::filesystem;

bool isFolder(const fs::path& path)
{
    std::error_code ec; // a link loop or a missing folder is simply no folder
    return fs::is_directory(path, ec);
}

bool isPlainFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// The terminal, on Windows or under Wine, finds its folders without letter case;
// so do we, taking the exact spelling first.
std::optional<fs::path> childNamed(const fs::path& parent, const std::string& name, bool wantFolder)
{
    const fs::path exact = parent / name;
    if (wantFolder ? isFolder(exact) : isPlainFile(exact))
        return exact;
    std::error_code ec;
    fs::directory_iterator it(parent, ec);
    for (int n = 0; !ec && it != fs::directory_iterator() && n < kMaxFolderEntries; it.increment(ec), ++n) {
        const fs::path& entry = it->path();
        if (equalsIgnoringAsciiCase(entry.filename().string(), name)
            && (wantFolder ? isFolder(entry) : isPlainFile(entry)))
            return entry;
    }
    return std::nullopt;
}

} // namespace quorvane
