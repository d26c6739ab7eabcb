#pragma once
// The signal files that the expert advisor reads: one file per short name in the
// terminal's experts/files folder, holding exactly the newest market record.

#include <string>
#include <vector>

namespace quorvane {

/// Writes each record to terminalFolder + "/experts/files/" + ShortName(record), replacing
/// the file in one step (temp file in the same folder, renamed over it). Throws
/// EFCreateError / EFOpenError (feed/exceptions.h) with the full path, ending the writing
/// at that record. Never creates the folder. A short name that could address a file
/// outside experts/files ("", ".", "..", a separator or NUL in it) is refused with
/// EFCreateError. Nothing when terminalFolder is empty.
void WriteSignalFiles(const std::string& terminalFolder, const std::vector<std::string>& records);

/// terminalFolder + "/experts/files/EURUSD", the signal file that disconnecting removes.
std::string EurusdSignalFilePath(const std::string& terminalFolder);

/// Deletes EurusdSignalFilePath(terminalFolder); failure ignored.
/// Nothing when terminalFolder is empty.
void DeleteEurusdSignalFile(const std::string& terminalFolder);

} // namespace quorvane
