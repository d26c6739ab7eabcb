// SPDX-License-Identifier: MIT
#pragma once
// The main window's desktop notifications: after each poll the rules read what
// the window shows and the notifier sends what they call for; where the
// desktop has no notification service, the tray icon's balloon shows it.

#include "notify/notification.h"
#include "notify/notifyrules.h"

#include <QDateTime>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

namespace quorvane {

class TTrayIcon;

/// Makes the desktop's notifier around the stand-in it falls back on.
using NotifierFactory = std::function<std::unique_ptr<Notifier>(NotificationFallback balloon)>;

class WindowNotifications {
public:
    /// `makeNotifier` null: nothing is ever sent. `trayIcon` shows the balloons.
    WindowNotifications(const NotifierFactory& makeNotifier, TTrayIcon* trayIcon);

    /// One poll has ended. `now` is the window's local clock, `threshold` the
    /// chosen lamp count (the list's index: 0 off), `shown` the selected symbol
    /// as the window shows it. Never throws: a notification is not worth a poll.
    void afterPoll(const QDateTime& now, bool reached, int threshold, const std::optional<SymbolFacts>& shown) noexcept;

private:
    NotificationRules m_rules;
    std::unique_ptr<Notifier> m_notifier;
    QPointer<TTrayIcon> m_trayIcon;
};

} // namespace quorvane
