#pragma once
// A scratch folder per test, removed afterwards, plus small file helpers.

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace quorvane::test {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

class TempDir {
public:
    TempDir() : m_path((fs::temp_directory_path() / "quorvane-bridge-XXXXXX").string())
    {
        if (::mkdtemp(m_path.data()) == nullptr)
            throw fs::filesystem_error("mkdtemp", m_path, std::error_code(errno, std::generic_category()));
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& rel) const { return m_path + "/" + rel; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

inline void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string readFile(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

/// Names of all entries below root, relative to it, hidden ones included.
inline std::set<std::string> listTree(const std::string& root)
{
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        names.insert(fs::relative(entry.path(), root).string());
    return names;
}

} // namespace quorvane::test
