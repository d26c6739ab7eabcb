// SPDX-License-Identifier: MIT
#include "notify/notifyrules.h"

#include "display/recordview.h"

#include <algorithm>

namespace quorvane {

namespace {

constexpr int kMaxLamps = 8;

int sideIndex(LampSide side)
{
    return side == LampSide::Long ? 0 : 1;
}

// A wait is over once it has lasted `limit`, or when the clock went back
// behind its start (the time it has lasted is then unknown).
bool lasted(std::int64_t nowMs, std::int64_t sinceMs, std::int64_t limit)
{
    return nowMs - sinceMs >= limit || nowMs < sinceMs;
}

std::string lampSummary(const SymbolFacts& facts)
{
    return facts.shortName + ": " + std::to_string(facts.lit) + (facts.side == LampSide::Long ? " long" : " short")
           + (facts.lit == 1 ? " lamp" : " lamps");
}

} // namespace

SymbolFacts symbolFacts(const RecordView& view)
{
    SymbolFacts facts;
    facts.shortName = view.shortName;
    facts.signal = view.signalText;
    facts.price = view.price;
    facts.marketTime = view.time;
    const auto& lamps = view.lamps.lamps;
    const auto longLit = std::count(lamps.begin(), lamps.begin() + kMaxLamps, 1);
    const auto shortLit = std::count(lamps.begin() + kMaxLamps, lamps.end(), 2);
    // A signal below zero that lights no lamp still belongs to the short row.
    facts.side = shortLit > 0 || view.lamps.trayImage == 2 ? LampSide::Short : LampSide::Long;
    facts.lit = static_cast<int>(facts.side == LampSide::Short ? shortLit : longLit);
    return facts;
}

void NotificationRules::setThreshold(int lamps)
{
    const int threshold = lamps >= 1 && lamps <= kMaxLamps ? lamps : 0;
    if (threshold == m_threshold)
        return;
    m_threshold = threshold;
    m_watched.reset();
}

std::vector<Notification> NotificationRules::afterPoll(const PollFacts& facts)
{
    std::vector<Notification> out;
    if (std::optional<Notification> service = serviceNotification(facts))
        out.push_back(std::move(*service));
    if (facts.reached && facts.selected && m_threshold > 0) {
        for (Notification& n : lampNotifications(facts.nowMs, *facts.selected))
            out.push_back(std::move(n));
    }
    return out;
}

std::vector<Notification> NotificationRules::lampNotifications(std::int64_t nowMs, const SymbolFacts& facts)
{
    const auto litOn = [&facts](int side) { return sideIndex(facts.side) == side ? facts.lit : 0; };
    if (m_watched != facts.shortName) {
        // Nothing was seen of this symbol just before: this poll only tells
        // where it starts from.
        m_watched = facts.shortName;
        for (int side = 0; side < 2; ++side)
            m_armed[side] = litOn(side) < m_threshold;
        return {};
    }
    const int rearmAt = std::max(m_threshold - 2, 0);
    std::vector<Notification> out;
    for (int side = 0; side < 2; ++side) {
        const int lit = litOn(side);
        if (!m_armed[side]) {
            m_armed[side] = lit <= rearmAt;
            continue;
        }
        if (lit < m_threshold)
            continue;
        m_armed[side] = false;
        SymbolRecord& record = m_symbols[facts.shortName];
        if (record.lastSentMs && !lasted(nowMs, *record.lastSentMs, kRepeatMs))
            continue;
        record.lastSentMs = nowMs;
        Notification n;
        n.topic = NotificationTopic::Lamps;
        n.symbol = facts.shortName;
        n.replacesId = record.id;
        n.summary = lampSummary(facts);
        n.body = "Signal: " + facts.signal + "\nPrice: " + facts.price + "\nMarket time: " + facts.marketTime;
        out.push_back(std::move(n));
    }
    return out;
}

std::optional<Notification> NotificationRules::serviceNotification(const PollFacts& facts)
{
    Notification n;
    n.topic = NotificationTopic::Service;
    n.replacesId = m_serviceId;
    if (facts.reached) {
        const bool told = m_outageTold;
        m_failingSinceMs.reset();
        m_outageTold = false;
        if (!told)
            return std::nullopt;
        n.summary = "Signal service reachable again";
        return n;
    }
    if (!m_failingSinceMs || facts.nowMs < *m_failingSinceMs) {
        if (!m_failingSinceMs)
            m_failingSinceLocal = facts.localTime;
        m_failingSinceMs = facts.nowMs;
    }
    if (m_outageTold || !lasted(facts.nowMs, *m_failingSinceMs, kOutageMs))
        return std::nullopt;
    m_outageTold = true;
    n.summary = "Signal service unreachable since " + m_failingSinceLocal;
    n.urgency = Urgency::Critical;
    return n;
}

void NotificationRules::shown(const Notification& notification, std::uint32_t id)
{
    if (id == 0)
        return;
    if (notification.topic == NotificationTopic::Service)
        m_serviceId = id;
    else
        m_symbols[notification.symbol].id = id;
}

void sendNotifications(NotificationRules& rules, Notifier& notifier, const std::vector<Notification>& notifications)
{
    for (const Notification& n : notifications)
        rules.shown(n, notifier.show(n));
}

} // namespace quorvane
