// SPDX-License-Identifier: MIT
#pragma once
// The bridge's own messages on the standard error stream. Under systemd the
// stream is the journal's, and a "<N>" in front of each line gives that line
// its priority; on a terminal the same lines read plainly, named by the program.

#include <string>

namespace quorvane {

/// Syslog priorities, as the journal reads them from a "<N>" prefix.
enum class Priority { Error = 3, Warning = 4, Notice = 5, Info = 6 };

/// Whether descriptor `fd` is the stream that $JOURNAL_STREAM ("<device>:<inode>",
/// decimal) names. False for a null or malformed text.
bool isJournalStream(const char* journalStream, int fd);

class StderrLog {
public:
    /// `journal`: prefix every line with its priority instead of the program name.
    StderrLog(std::string program, bool journal);
    /// Writes `message`, one prefixed line per line of it, in one write.
    void write(Priority priority, const std::string& message) const;

private:
    std::string m_program;
    bool m_journal;
};

} // namespace quorvane
