// SPDX-License-Identifier: MIT
#pragma once
// The alarm log "log.txt": read whole at start with its line breaks turned into
// CR LF, written back byte for byte at exit.

#include <string>
#include <string_view>

namespace quorvane {

/// Every line break (CR LF, a lone CR or a lone LF) becomes CR LF; nothing is
/// added after the last line.
std::string normaliseLineBreaks(std::string_view text);

class AlarmLog {
public:
    explicit AlarmLog(std::string path);

    /// Loads the file. Never fails: a missing or unreadable file leaves the
    /// text empty. A file that exists but cannot be read is remembered, so that
    /// Save() does not replace the content it could not see.
    void Load();

    /// The text as the memo holds it (CR LF line breaks).
    const std::string& Text() const { return m_text; }

    /// Writes Text() to the file, replacing it. Skipped after a Load() that found
    /// the file unreadable. Throws EFCreateError with the path when the file
    /// cannot be written.
    void Save() const;

private:
    std::string m_path;
    std::string m_text;
    bool m_keepFile = false;
};

} // namespace quorvane
