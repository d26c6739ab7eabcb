// SPDX-License-Identifier: MIT
#pragma once
// The signal files that the expert advisor reads: one file per short name in the
// terminal's experts/files folder (or every signal folder a terminal folder
// resolves to), holding exactly the newest market record.

#include "terminaltargets.h"

#include <string>
#include <vector>

namespace quorvane {

/// Writes every record into each target's signal folder as the single-folder form
/// below does. Each target is written on its own: a failure ends the writing of that
/// target at that record, the other targets are still written, and the first failure
/// is thrown once all are done. A shared folder (kind Shared) that no longer is its own
/// real path is skipped without an error. Nothing for no targets.
void WriteSignalFiles(const std::vector<TerminalTarget>& targets, const std::vector<std::string>& records);

/// Deletes the EURUSD signal file of each target (of a shared folder only while it is
/// unmoved, as the writing); failures ignored.
void deleteEurusdSignalFiles(const std::vector<TerminalTarget>& targets);

/// Writes each record to terminalFolder + "/experts/files/" + shortName(record), replacing
/// the file in one step (temp file in the same folder, renamed over it). Throws
/// EFCreateError / EFOpenError (core/exceptions.h) with the full path, ending the writing
/// at that record. Never creates the folder. A short name that could address a file
/// outside experts/files ("", ".", "..", a separator or NUL in it) is refused with
/// EFCreateError. Nothing when terminalFolder is empty.
void WriteSignalFiles(const std::string& terminalFolder, const std::vector<std::string>& records);

/// terminalFolder + "/experts/files/EURUSD", the signal file that disconnecting removes.
std::string eurusdSignalFilePath(const std::string& terminalFolder);

/// Deletes eurusdSignalFilePath(terminalFolder); failure ignored.
/// Nothing when terminalFolder is empty.
void deleteEurusdSignalFile(const std::string& terminalFolder);

} // namespace quorvane
