// SPDX-License-Identifier: MIT
#pragma once
// When the user is told something on the desktop: the selected symbol's lamps
// reaching the chosen number, and the signal service going quiet and coming
// back. Fed with what each poll showed; returns what to send. No widgets, no
// clock of its own: the caller hands in the time.

#include "notify/notification.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

struct RecordView;

enum class LampSide { Long, Short };

/// The selected symbol as the window shows it after a poll.
struct SymbolFacts {
    std::string shortName;           ///< Label2
    int lit = 0;                     ///< lit lamps of the signal's row, 0 to 8
    LampSide side = LampSide::Long;  ///< the row they are in
    std::string signal;              ///< Label10, as received
    std::string price;               ///< Label4
    std::string marketTime;          ///< Label8
};

/// The facts of a record view that was shown in full, counted from the same
/// lamps the window shows.
SymbolFacts symbolFacts(const RecordView& view);

/// One poll as the rules see it.
struct PollFacts {
    /// Milliseconds on any clock of the caller's (steady or UTC); only
    /// differences are used. A clock set back starts the waits afresh.
    std::int64_t nowMs = 0;
    /// Local time of the poll as "HH:MM": named when the service goes quiet.
    std::string localTime;
    /// The service answered. A reply that could not be shown still counts:
    /// the service is there.
    bool reached = false;
    /// The selected symbol; empty when the poll showed none.
    std::optional<SymbolFacts> selected;
};

class NotificationRules {
public:
    /// The least time between two lamp notifications of one symbol.
    static constexpr std::int64_t kRepeatMs = 5 * 60 * 1000;
    /// How long polls fail before the user is told.
    static constexpr std::int64_t kOutageMs = 2 * 60 * 1000;

    /// The lamp count that is notified, 1 to 8; anything else is off. A new
    /// number forgets what was seen, so the next poll only sets the start.
    void setThreshold(int lamps);
    int threshold() const { return m_threshold; }

    /// The notifications this poll calls for, in order.
    /// - Lamps: the selected symbol's lit count (long or short) reaches the
    ///   threshold from below: one, with its count, signal, price and market
    ///   time. Armed again only once the count has fallen to two below the
    ///   threshold (to 0 for thresholds 1 and 2); at most one per symbol every
    ///   kRepeatMs (a crossing sooner is dropped). Counting starts afresh when
    ///   another symbol is selected, so a pick is never a crossing.
    /// - Service: polls have failed for kOutageMs: one, critical, naming the
    ///   local time of the first failure; the next good poll after it: "Signal
    ///   service reachable again". On whatever the threshold.
    std::vector<Notification> afterPoll(const PollFacts& facts);

    /// The desktop showed `notification` under `id`; the next one of its
    /// subject replaces it. An id of 0 (not shown) changes nothing.
    void shown(const Notification& notification, std::uint32_t id);

private:
    std::vector<Notification> lampNotifications(std::int64_t nowMs, const SymbolFacts& facts);
    std::optional<Notification> serviceNotification(const PollFacts& facts);

    struct SymbolRecord {
        std::optional<std::int64_t> lastSentMs;
        std::uint32_t id = 0;
    };

    int m_threshold = 0;
    // The symbol of the last poll that showed one, and per row whether
    // reaching the threshold is notified.
    std::optional<std::string> m_watched;
    bool m_armed[2] = {false, false};
    std::map<std::string, SymbolRecord> m_symbols;

    std::optional<std::int64_t> m_failingSinceMs;
    std::string m_failingSinceLocal;
    bool m_outageTold = false;
    std::uint32_t m_serviceId = 0;
};

/// Sends `notifications` through `notifier` and tells `rules` the ids they got.
void sendNotifications(NotificationRules& rules, Notifier& notifier, const std::vector<Notification>& notifications);

} // namespace quorvane
