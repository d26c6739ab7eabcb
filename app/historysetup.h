// SPDX-License-Identifier: MIT
#pragma once
// The signal history of a front end: the window and the headless bridge keep
// every reply's records the same way.

#include "history/historystore.h"
#include "poll/pollcycle.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace quorvane {

/// Opens `historyFile`, kept for `days` days (the settings' [History] Days;
/// 0 keeps nothing), and lets `poll` record every reply into it, received at
/// `utcClock()` (ms since 1970 UTC). Its failures become error-log lines of
/// `poll`. The store must outlive the polls that use it. Null for an
/// empty file name.
std::unique_ptr<HistoryStore> attachHistory(PollCycle& poll, const std::string& historyFile, int days,
                                            std::function<std::int64_t()> utcClock);

} // namespace quorvane
