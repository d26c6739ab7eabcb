#include "signalfiles.h"

#include "exceptions.h"
#include "records.h"

#include <cerrno>
#include <exception>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

constexpr const char* kFilesFolder = "/experts/files/";

// The short name comes from the remote service; it must never steer a write
// outside experts/files. Backslash counts as a separator too, because the
// terminal (under Wine or on Windows) reads it as one.
bool isSafeFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

bool writeAll(int fd, const std::string& text)
{
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// An existing signal file we may not replace: anything but a plain file or a
// link (a link is replaced itself, never written through), or a file we have
// no write permission on.
bool existingTargetBlocksReplace(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    if (S_ISLNK(info.st_mode))
        return false;
    if (!S_ISREG(info.st_mode))
        return true;
    return ::access(path.c_str(), W_OK) != 0;
}

void writeOneSignalFile(const std::string& folder, const std::string& path, const std::string& name,
                        const std::string& record)
{
    if (!isSafeFileName(name))
        throw EFCreateError(path);
    if (existingTargetBlocksReplace(path))
        throw EFOpenError(path);

    // The hidden temporary file sits in the same folder so that the rename
    // below is one step on one file system.
    std::string temp = folder + "." + name + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw EFCreateError(path);
    // mkstemp makes the file private; the expert advisor may run as another user.
    ::fchmod(fd, 0644);
    const bool written = writeAll(fd, record);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(temp.c_str());
        throw EFCreateError(path);
    }
    // Rename over the old file so the expert advisor never reads half a record.
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw EFOpenError(path);
    }
}

void writeIntoFolder(const std::string& folder, const std::vector<std::string>& records)
{
    for (const std::string& record : records) {
        const std::string name = ShortName(record);
        writeOneSignalFile(folder, folder + name, name, record);
    }
}

} // namespace

void WriteSignalFiles(const std::string& terminalFolder, const std::vector<std::string>& records)
{
    // No terminal connected: never fall back to "/experts/files" at the root.
    if (terminalFolder.empty())
        return;
    writeIntoFolder(terminalFolder + kFilesFolder, records);
}

void WriteSignalFiles(const std::vector<TerminalTarget>& targets, const std::vector<std::string>& records)
{
    // One broken folder (say the old experts/files of an upgraded terminal) must
    // not starve the expert advisor that reads another.
    std::exception_ptr first;
    for (const TerminalTarget& target : targets) {
        if (target.signalFolder.empty())
            continue;
        try {
            writeIntoFolder(target.signalFolder + "/", records);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

void DeleteEurusdSignalFiles(const std::vector<TerminalTarget>& targets)
{
    for (const TerminalTarget& target : targets) {
        if (!target.signalFolder.empty())
            ::unlink((target.signalFolder + "/EURUSD").c_str());
    }
}

std::string EurusdSignalFilePath(const std::string& terminalFolder)
{
    return terminalFolder + kFilesFolder + "EURUSD";
}

void DeleteEurusdSignalFile(const std::string& terminalFolder)
{
    if (terminalFolder.empty())
        return;
    ::unlink(EurusdSignalFilePath(terminalFolder).c_str());
}

} // namespace quorvane
