// SPDX-License-Identifier: MIT
#pragma once
// A scratch folder per test, removed afterwards, and whole-file helpers.

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>

namespace quorvane::test {

class ScratchFolder {
public:
    ScratchFolder()
        : m_path((std::filesystem::temp_directory_path() / "quorvane-test-XXXXXX").string())
    {
        if (::mkdtemp(m_path.data()) == nullptr)
            throw std::filesystem::filesystem_error("mkdtemp", m_path,
                                                    std::error_code(errno, std::generic_category()));
    }
    ~ScratchFolder()
    {
        namespace fs = std::filesystem;
        std::error_code ec;
        // A test may have taken the write bit away; give it back so removal works.
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// Names of all entries below root, relative to it, hidden ones included.
inline std::set<std::string> listTree(const std::string& root)
{
    namespace fs = std::filesystem;
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        names.insert(fs::relative(entry.path(), root).string());
    return names;
}

} // namespace quorvane::test
