// SPDX-License-Identifier: MIT
#include "notify/dbusnotifier.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace quorvane {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr const char* kAppName = "Quorvane";
// The installed icon and the desktop file share the application's id
// (dist/): the service finds both by it.
constexpr const char* kAppId = "example.quorvane.Quorvane";

// No one owns the name, or the bus could not start the service it knows.
bool noService(const QDBusError& error)
{
    return error.type() == QDBusError::ServiceUnknown
           || error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
           || error.name().startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn."));
}

} // namespace

DBusNotifier::DBusNotifier(QDBusConnection bus, NotificationFallback fallback)
    : m_bus(std::move(bus)), m_fallback(std::move(fallback))
{
}

DBusNotifier::Outcome DBusNotifier::call(const QString& method, const QVariantList& arguments,
                                         QVariantList* reply) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kService, method);
    message.setArguments(arguments);
    const QDBusMessage answer = m_bus.call(message, QDBus::Block, kCallTimeoutMs);
    if (answer.type() == QDBusMessage::ReplyMessage) {
        *reply = answer.arguments();
        return Outcome::Answered;
    }
    return noService(QDBusError(answer)) ? Outcome::NoService : Outcome::Failed;
}

std::uint32_t DBusNotifier::show(const Notification& notification)
{
    // Without a bus every call would fail the same way; asking nothing keeps
    // the polls quiet.
    if (!m_bus.isConnected())
        return 0;
    QVariantList reply;
    if (!m_bodyMarkup) {
        const Outcome outcome = call(QStringLiteral("GetCapabilities"), {}, &reply);
        if (outcome == Outcome::NoService) {
            if (m_fallback)
                m_fallback(notification);
            return 0;
        }
        if (outcome == Outcome::Failed)
            return 0;
        m_bodyMarkup = !reply.isEmpty() && reply.front().toStringList().contains(QStringLiteral("body-markup"));
    }
    // The texts come from the signal service: a service that reads markup
    // must see them as plain text.
    QString body = QString::fromLocal8Bit(notification.body);
    if (*m_bodyMarkup)
        body = body.toHtmlEscaped();
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(kAppId));
    hints.insert(QStringLiteral("urgency"),
                 QVariant::fromValue(static_cast<uchar>(notification.urgency == Urgency::Critical ? 2 : 1)));
    const QVariantList arguments = {
        QString::fromLatin1(kAppName),
        QVariant::fromValue(static_cast<uint>(notification.replacesId)),
        QString::fromLatin1(kAppId),
        QString::fromLocal8Bit(notification.summary),
        body,
        QStringList(),
        hints,
        -1, // the service's own display time
    };
    switch (call(QStringLiteral("Notify"), arguments, &reply)) {
    case Outcome::Answered:
        return reply.isEmpty() ? 0 : reply.front().toUInt();
    case Outcome::NoService:
        // The service went away since it was asked; the next one may be another.
        m_bodyMarkup.reset();
        if (m_fallback)
            m_fallback(notification);
        return 0;
    case Outcome::Failed:
        break;
    }
    return 0;
}

std::unique_ptr<Notifier> makeSessionNotifier(NotificationFallback fallback)
{
    return std::make_unique<DBusNotifier>(QDBusConnection::sessionBus(), std::move(fallback));
}

} // namespace quorvane
