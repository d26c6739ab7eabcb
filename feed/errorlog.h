#pragma once
// "error_log.txt": one LF-terminated line per failed poll, never capped.

#include <string>

class QDateTime;

namespace quorvane {

/// Appends `text` and one LF to `folder` + `fileName` (folder ends with the
/// path separator). Creates the file when missing. Throws EFOpenError or
/// EFCreateError (with the full path) when the file can be neither opened
/// nor created.
void AppendLog(const std::string& folder, const std::string& text, const std::string& fileName);

/// The local date and time as the log writes it: the user's short date, a
/// blank and the long time; the time is left out at exactly midnight.
std::string LogTimestamp(const QDateTime& localTime);

/// One error-log line: message, ", ", reply, ", ", timestamp.
std::string ErrorLogLine(const std::string& message, const std::string& reply,
                         const std::string& timestamp);

} // namespace quorvane
