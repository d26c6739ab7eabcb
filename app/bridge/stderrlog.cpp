// SPDX-License-Identifier: MIT
#include "app/bridge/stderrlog.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quorvane {

namespace {

bool readNumber(const char*& at, unsigned long long& value)
{
    if (*at < '0' || *at > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoull(at, &end, 10);
    at = end;
    return errno == 0;
}

} // namespace

bool isJournalStream(const char* journalStream, int fd)
{
    if (!journalStream)
        return false;
    const char* at = journalStream;
    unsigned long long device = 0, inode = 0;
    if (!readNumber(at, device) || *at++ != ':' || !readNumber(at, inode) || *at != '\0')
        return false;
    struct stat info {};
    return ::fstat(fd, &info) == 0 && info.st_dev == device && info.st_ino == inode;
}

StderrLog::StderrLog(std::string program, bool journal) : m_program(std::move(program)), m_journal(journal) {}

void StderrLog::write(Priority priority, const std::string& message) const
{
    const std::string prefix
        = m_journal ? "<" + std::to_string(static_cast<int>(priority)) + ">" : m_program + ": ";
    std::string text;
    // A message that ends with a line end gets no empty line after it.
    for (std::size_t start = 0;;) {
        const std::size_t end = message.find('\n', start);
        text += prefix + message.substr(start, end - start) + "\n";
        if (end == std::string::npos || end + 1 == message.size())
            break;
        start = end + 1;
    }
    // One write per message, so lines of two threads never interleave.
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

} // namespace quorvane
