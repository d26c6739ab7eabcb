// SPDX-License-Identifier: MIT
#include "app/historysetup.h"

#include <exception>
#include <utility>

namespace quorvane {

std::unique_ptr<HistoryStore> attachHistory(PollCycle& poll, const std::string& historyFile, int days,
                                            std::function<std::int64_t()> utcClock)
{
    if (historyFile.empty())
        return nullptr;
    HistoryOptions options;
    options.file = historyFile;
    options.days = days;
    options.clock = utcClock;
    options.reportError = [&poll](const std::string& message) {
        // History never breaks the poll, not even when the error log cannot be written.
        try {
            poll.logFailure(message);
        } catch (const std::exception&) {
        }
    };
    auto store = std::make_unique<HistoryStore>(std::move(options));
    HistoryStore* history = store.get();
    poll.setRecorder([history, clock = std::move(utcClock)](const std::vector<std::string>& records) {
        history->recordPoll(clock(), records);
    });
    return store;
}

} // namespace quorvane
