// SPDX-License-Identifier: MIT
#pragma once
// The local date and time of an error-log line, in the user's regional formats.
// Apart from the poll cycle so that the cycle itself needs no Qt.

#include <string>

class QDateTime;

namespace quorvane {

/// The local date and time as the log writes it: the user's short date, a
/// blank and the long time; the time is left out at exactly midnight.
std::string logTimestamp(const QDateTime& localTime);

} // namespace quorvane
