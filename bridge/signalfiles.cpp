// SPDX-License-Identifier: MIT
#include "signalfiles.h"

#include "commonfolder.h"
#include "core/exceptions.h"
#include "core/files.h"
#include "core/records.h"

#include <exception>
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

void writeOneSignalFile(const std::string& path, const std::string& name, const std::string& record)
{
    if (!isSafeFileName(name))
        throw EFCreateError(path);
    ReplaceOptions options;
    // A link named like a signal file is replaced itself, never written through.
    options.links = LinkPolicy::Replace;
    // Replaced in one step, never rewritten in place: the expert advisor reads
    // the old record or the new one, never half of one.
    options.mayWriteInPlace = false;
    // The expert advisor may run as another user.
    options.newFileMode = 0644;
    // Eight small files every poll: a disk round trip each would stall the window.
    options.sync = false;
    const FileResult result = replaceFile(path, record, options);
    // Something in the file's place that may not be replaced (not a plain file,
    // no write permission, a rename refused) is "cannot open"; a file that
    // cannot be made or filled is "cannot create".
    if (result.failed == FileStep::Open || result.failed == FileStep::Rename)
        throw EFOpenError(path);
    if (!result)
        throw EFCreateError(path);
}

void writeIntoFolder(const std::string& folder, const std::vector<std::string>& records)
{
    for (const std::string& record : records) {
        const std::string name = shortName(record);
        writeOneSignalFile(folder + name, name, record);
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
        // A link put in the shared folder's way since it was checked could lead
        // anywhere; it is refused when the folder is chosen, not at every poll.
        if (target.kind == TerminalKind::Shared && !sharedFolderUnmoved(target))
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

void deleteEurusdSignalFiles(const std::vector<TerminalTarget>& targets)
{
    for (const TerminalTarget& target : targets) {
        if (target.signalFolder.empty() || (target.kind == TerminalKind::Shared && !sharedFolderUnmoved(target)))
            continue;
        ::unlink((target.signalFolder + "/EURUSD").c_str());
    }
}

std::string eurusdSignalFilePath(const std::string& terminalFolder)
{
    return terminalFolder + kFilesFolder + "EURUSD";
}

void deleteEurusdSignalFile(const std::string& terminalFolder)
{
    if (terminalFolder.empty())
        return;
    ::unlink(eurusdSignalFilePath(terminalFolder).c_str());
}

} // namespace quorvane
