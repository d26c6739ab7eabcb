// SPDX-License-Identifier: MIT
#include "platform.h"

#include "core/files.h"

#include <filesystem>
#include <system_error>

namespace quorvane {

namespace {

namespace fs = std::filesystem;

class RealFileSystem final : public FileSystem {
public:
    bool IsDirectory(const std::string& path) override
    {
        std::error_code ec;
        return !path.empty() && fs::is_directory(path, ec);
    }

    bool Exists(const std::string& path) override
    {
        std::error_code ec;
        return !path.empty() && fs::exists(fs::symlink_status(path, ec));
    }

    bool CopyReplacing(const std::string& from, const std::string& to) override
    {
        // Replaced in one step: a crash or a full disk mid-copy leaves the old
        // expert advisor whole, not half a new one for the terminal to compile.
        std::string bytes;
        return readFile(from, bytes) && replaceFile(to, bytes);
    }

    void RemoveIgnoringErrors(const std::string& path) override
    {
        std::error_code ec;
        // Only files: a folder of that name is left alone, like the platform's
        // file deletion does.
        if (!fs::is_directory(fs::symlink_status(path, ec)))
            fs::remove(path, ec);
    }
};

} // namespace

std::unique_ptr<FileSystem> makeRealFileSystem()
{
    return std::make_unique<RealFileSystem>();
}

} // namespace quorvane
