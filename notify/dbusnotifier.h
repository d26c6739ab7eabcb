// SPDX-License-Identifier: MIT
#pragma once
// The desktop's notification service, org.freedesktop.Notifications on the
// session bus. Without a service on the bus a stand-in (the tray icon's
// balloon) shows the notification; without a bus nothing does.

#include "notify/notification.h"

#include <QDBusConnection>

#include <memory>
#include <optional>

namespace quorvane {

class DBusNotifier final : public Notifier {
public:
    /// How long one call may hold up the window before it is given up.
    static constexpr int kCallTimeoutMs = 5000;

    /// `bus` need not be connected: a bus that is not there shows nothing.
    DBusNotifier(QDBusConnection bus, NotificationFallback fallback);

    /// Calls Notify as app "Quorvane" with the installed icon, the hints
    /// desktop-entry and urgency (byte: 1 normal, 2 critical) and the body
    /// escaped where the service reads markup. No service on the bus: the
    /// fallback, and 0. No bus, or another failure: nothing, and 0.
    std::uint32_t show(const Notification& notification) override;

private:
    enum class Outcome { Answered, NoService, Failed };
    Outcome call(const QString& method, const QVariantList& arguments, QVariantList* reply) const;

    QDBusConnection m_bus;
    NotificationFallback m_fallback;
    // Asked once of the running service: whether the body is read as markup.
    std::optional<bool> m_bodyMarkup;
};

/// The notifier on the user's session bus.
std::unique_ptr<Notifier> makeSessionNotifier(NotificationFallback fallback);

} // namespace quorvane
