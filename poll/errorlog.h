// SPDX-License-Identifier: MIT
#pragma once
// "error_log.txt": one LF-terminated line per failed poll. The file is never
// capped, but a line quotes at most kLogQuoteLimit bytes of each text.

#include <cstddef>
#include <string>

namespace quorvane {

/// Appends `text` and one LF to `folder` + `fileName` (folder ends with the
/// path separator). Creates the file when missing. Throws EFOpenError or
/// EFCreateError (with the full path) when the file can be neither opened
/// nor created.
void AppendLog(const std::string& folder, const std::string& text, const std::string& fileName);

/// The most bytes of one text (the message, the reply) that an error-log line quotes.
inline constexpr std::size_t kLogQuoteLimit = 64 * 1024;

/// `text` as an error-log line quotes it: whole when it has at most `limit` bytes;
/// otherwise its first `limit` bytes, less the start of a UTF-8 character that the
/// cut would split, followed by "... [N bytes left out]".
std::string logQuote(const std::string& text, std::size_t limit = kLogQuoteLimit);

/// One error-log line: message, ", ", reply, ", ", timestamp, with the message
/// and the reply quoted by logQuote.
std::string errorLogLine(const std::string& message, const std::string& reply,
                         const std::string& timestamp);

} // namespace quorvane
