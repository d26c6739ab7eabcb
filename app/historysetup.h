#pragma once
// The signal history of a front end: the window and the headless bridge keep
// every reply's records the same way.

#include "app/filelocations.h"
#include "app/inifile.h"
#include "history/historystore.h"
#include "poll/pollcycle.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace quorvane {

/// Opens the history file that `locations` name, kept for the settings'
/// [History] Days, and lets `poll` record every reply into it, received at
/// `utcClock()` (ms since 1970 UTC). Its failures become error-log lines of
/// `poll`. The store must outlive the polls that use it. Null when the
/// locations name no history file.
std::unique_ptr<HistoryStore> attachHistory(PollCycle& poll, const FileLocations& locations, const TIniFile& ini,
                                            std::function<std::int64_t()> utcClock);

} // namespace quorvane
