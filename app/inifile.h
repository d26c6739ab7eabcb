// SPDX-License-Identifier: MIT
#pragma once
// The settings file: one INI text file read and written the way the Windows
// private-profile functions treat it, so that a file edited by hand or by the
// original program reads the same here.

#include <string>

namespace quorvane {

/// Behaves like the Windows private-profile functions on one file.
///
/// Every call opens the file, does its one read or write and lets go of it again;
/// nothing is cached between calls. Reads never fail. Writes replace the file
/// atomically (temporary file + rename in the same folder) where the folder
/// allows it and the file keeps its owner, group and links that way; otherwise
/// they rewrite it in place. They keep everything they do not touch byte for
/// byte and throw quorvane::Exception("Unable to write to " + path) when the
/// file cannot be written.
class TIniFile {
public:
    explicit TIniFile(std::string path);

    /// The path this object reads and writes.
    const std::string& FileName() const;

    /// Integer rule; any value other than 0 is true. Absent or not an integer -> def.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    /// Decimal, or hexadecimal after "0x"/"0X" (text longer than 2) or "$". Bad/empty -> def.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    /// The value with surrounding blanks and one pair of enclosing quotes removed,
    /// cut at 2047 characters. Absent -> def.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const;

    /// Writes "1" or "0".
    void WriteBool(const std::string& section, const std::string& key, bool value);
    /// Writes the decimal text, with "-" when negative.
    void WriteInteger(const std::string& section, const std::string& key, int value);
    /// Writes the text unchanged (it must not hold a line break).
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

private:
    std::string m_path;
};

} // namespace quorvane
