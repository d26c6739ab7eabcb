// SPDX-License-Identifier: MIT
#pragma once
// The files sandbox both simulated terminals keep: a file the advisor opens is
// read whole at FileOpen, then handed out piece by piece, as a terminal's
// read-only handle sees it even while Quorvane replaces the file.

#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <string>

namespace mqlsim {

class OpenFiles {
public:
    /// Opens the regular file at `path`; -1 (INVALID_HANDLE) when there is none.
    /// `ansi` is FILE_ANSI: a byte a character, else UTF-16, two bytes a character.
    /// The modification date is moved by `clockOffset` seconds: the file clock
    /// need not be the advisor's.
    int open(const std::string& path, bool ansi, long long clockOffset = 0)
    {
        struct stat info {};
        std::FILE* in = std::fopen(path.c_str(), "rb");
        if (!in || ::fstat(fileno(in), &info) != 0 || !S_ISREG(info.st_mode)) {
            if (in)
                std::fclose(in);
            return -1;
        }
        File file;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
            file.bytes.append(buffer, n);
        std::fclose(in);
        file.ansi = ansi;
        file.modified = info.st_mtime + clockOffset;
        m_files[m_nextHandle] = file;
        return m_nextHandle++;
    }

    void close(int handle) { m_files.erase(handle); }

    std::size_t size(int handle) const
    {
        const auto it = m_files.find(handle);
        return it == m_files.end() ? 0 : it->second.bytes.size();
    }

    /// The modification date of an open file, else `absent` (the terminals differ).
    long long modified(int handle, long long absent) const
    {
        const auto it = m_files.find(handle);
        return it == m_files.end() ? absent : it->second.modified;
    }

    /// The next `length` characters as UTF-16 units: a byte each with FILE_ANSI,
    /// two bytes each without. FileReadString on a binary file counts so.
    std::u16string read(int handle, int length)
    {
        std::u16string units;
        const auto it = m_files.find(handle);
        if (it == m_files.end())
            return units;
        File& f = it->second;
        for (int n = 0; n < length && f.at < f.bytes.size(); ++n) {
            const auto lo = static_cast<unsigned char>(f.bytes[f.at++]);
            if (f.ansi) {
                units.push_back(lo);
            } else if (f.at < f.bytes.size()) {
                const auto hi = static_cast<unsigned char>(f.bytes[f.at++]);
                units.push_back(static_cast<char16_t>(hi << 8 | lo));
            }
        }
        return units;
    }

private:
    struct File {
        std::string bytes;
        std::size_t at = 0;
        bool ansi = false;
        long long modified = 0;
    };
    std::map<int, File> m_files;
    int m_nextHandle = 1;
};

} // namespace mqlsim
