#pragma once
// A scratch folder per test, removed afterwards, plus small file helpers.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

namespace quorvane::test {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-bridge-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        // Undo read-only modes some tests set, so cleanup succeeds.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_path, ec))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& rel) const { return m_path + "/" + rel; }

private:
    std::string m_path;
};

inline void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// Names of all entries below `root`, relative to it, hidden ones included.
inline std::set<std::string> listTree(const std::string& root)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        names.insert(std::filesystem::relative(entry.path(), root).string());
    return names;
}

} // namespace quorvane::test
