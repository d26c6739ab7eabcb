// SPDX-License-Identifier: MIT
#include "windownotifications.h"

#include "trayicon/ttrayicon.h"

namespace quorvane {

WindowNotifications::WindowNotifications(const NotifierFactory& makeNotifier, TTrayIcon* trayIcon)
    : m_trayIcon(trayIcon)
{
    if (!makeNotifier)
        return;
    m_notifier = makeNotifier([this](const Notification& n) {
        if (m_trayIcon)
            m_trayIcon->showBalloon(n.summary, n.body,
                                    n.urgency == Urgency::Critical ? BalloonIcon::Critical : BalloonIcon::Information);
    });
}

void WindowNotifications::afterPoll(const QDateTime& now, bool reached, int threshold,
                                    const std::optional<SymbolFacts>& shown) noexcept
{
    if (!m_notifier)
        return;
    try {
        m_rules.setThreshold(threshold);
        PollFacts facts;
        facts.nowMs = now.toMSecsSinceEpoch();
        facts.localTime = now.toString(QStringLiteral("HH:mm")).toStdString();
        facts.reached = reached;
        facts.selected = shown;
        sendNotifications(m_rules, *m_notifier, m_rules.afterPoll(facts));
    } catch (...) {
        // Out of memory at worst; the notification is lost, the poll goes on.
    }
}

} // namespace quorvane
