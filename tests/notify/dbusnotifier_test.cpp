// SPDX-License-Identifier: MIT
// The notifier against a notification service of the test's own, on a private
// session bus (dbus-daemon with a configuration that knows no services, so
// nothing of this machine's desktop answers), then on a bus where no one owns
// the service's name, then with no bus at all.

#include "notify/dbusnotifier.h"
#include "notify/notifyrules.h"

#include "tests/support/qtapp.h"
#include "tests/support/scratchfolder.h"

#include <QDBusConnection>
#include <QProcess>
#include <QThread>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace quorvane::test {
namespace {

/// One Notify call as the service received it.
struct Call {
    QString app;
    uint replacesId = 0;
    QString icon, summary, body;
    QStringList actions;
    QString desktopEntry;
    bool urgencyIsByte = false;
    int urgency = -1;
    int timeout = 0;
};

/// org.freedesktop.Notifications as a desktop offers it: numbers what it
/// shows, keeps a replaced notification's id, and writes down every call.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit NotificationService(QStringList capabilities) : m_capabilities(std::move(capabilities)) {}

    std::vector<Call> calls() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }
    int capabilityQueries() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_queries;
    }

public slots:
    QStringList GetCapabilities()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_queries;
        return m_capabilities;
    }
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const QVariant urgency = hints.value(QStringLiteral("urgency"));
        m_calls.push_back({appName, replacesId, appIcon, summary, body, actions,
                           hints.value(QStringLiteral("desktop-entry")).toString(),
                           urgency.metaType().id() == QMetaType::UChar, urgency.isValid() ? urgency.toInt() : -1,
                           expireTimeout});
        return replacesId != 0 ? replacesId : ++m_lastId;
    }

private:
    mutable std::mutex m_mutex;
    const QStringList m_capabilities;
    std::vector<Call> m_calls;
    int m_queries = 0;
    uint m_lastId = 40;
};

/// A session bus of the test's own, in its own folder.
class PrivateBus {
public:
    PrivateBus()
    {
        writeFile(m_dir / "bus.conf",
                  "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                  " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                  "<busconfig><type>session</type><listen>unix:path="
                      + (m_dir / "bus")
                      + "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                        "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                        "<allow own=\"*\"/></policy></busconfig>\n");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(m_dir.path()));
        m_daemon.setProcessEnvironment(env);
        // Its complaints (it may not raise its file limit here) go to its log.
        m_daemon.setStandardErrorFile(QString::fromStdString(m_dir / "daemon.log"));
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + QString::fromStdString(m_dir / "bus.conf"),
                        QStringLiteral("--print-address"), QStringLiteral("--nofork")});
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10000)) {
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(5000))
            m_daemon.kill();
        m_daemon.waitForFinished();
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const QString& address() const { return m_address; }
    std::string log() const { return readFile(m_dir / "daemon.log"); }
    /// A new connection of this process to the bus.
    QDBusConnection connect(const QString& name) const { return QDBusConnection::connectToBus(m_address, name); }

private:
    ScratchFolder m_dir;
    QProcess m_daemon;
    QString m_address;
};

/// The service on a connection and a thread of its own, so that it answers
/// while the notifier's call blocks the test's thread.
class ServiceThread {
public:
    ServiceThread(const PrivateBus& bus, QStringList capabilities)
        : m_service(std::move(capabilities)), m_bus(bus.connect(QStringLiteral("service")))
    {
        m_thread.start();
        m_service.moveToThread(&m_thread);
        m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_service,
                             QDBusConnection::ExportAllSlots);
        m_registered = m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~ServiceThread()
    {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        m_bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        m_thread.quit();
        m_thread.wait();
    }
    ServiceThread(const ServiceThread&) = delete;
    ServiceThread& operator=(const ServiceThread&) = delete;

    bool registered() const { return m_registered; }
    const NotificationService& service() const { return m_service; }

private:
    QThread m_thread;
    NotificationService m_service;
    QDBusConnection m_bus;
    bool m_registered = false;
};

Notification lampNotification(const std::string& body)
{
    Notification n;
    n.symbol = "EURUSD";
    n.summary = "EURUSD: 6 long lamps";
    n.body = body;
    return n;
}

class DBusNotifierTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start: " << bus.log(); }
    void TearDown() override { QDBusConnection::disconnectFromBus(QStringLiteral("client")); }

    PrivateBus bus;
    std::vector<Notification> balloons;
    NotificationFallback balloon = [this](const Notification& n) { balloons.push_back(n); };
};

// The rules drive the real notifier: what the window would send after each poll.
TEST_F(DBusNotifierTest, ServiceGetsEachNotificationWithItsArgumentsAndReplacesBySubject)
{
    ServiceThread desktop(bus, {QStringLiteral("body")});
    ASSERT_TRUE(desktop.registered());
    DBusNotifier notifier(bus.connect(QStringLiteral("client")), balloon);
    NotificationRules rules;
    rules.setThreshold(6);
    const auto poll = [&](std::int64_t second, int lit, bool reached = true) {
        PollFacts f;
        f.nowMs = second * 1000;
        f.localTime = "14:30";
        f.reached = reached;
        f.selected = SymbolFacts{"EURUSD", lit, LampSide::Long, "0.4", "1.0850", "2026.12.08 14:29"};
        sendNotifications(rules, notifier, rules.afterPoll(f));
    };
    poll(0, 3);
    poll(15, 6);          // EURUSD, a new one
    poll(30, 6, false);
    poll(150, 6, false);  // unreachable, critical
    poll(165, 4);         // reachable again, replacing it
    poll(330, 7);         // EURUSD again, replacing its first

    const std::vector<Call> calls = desktop.service().calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(desktop.service().capabilityQueries(), 1) << "asked once";
    const struct {
        uint replacesId;
        const char *summary, *body;
        int urgency;
    } expected[] = {
        {0, "EURUSD: 6 long lamps", "Signal: 0.4\nPrice: 1.0850\nMarket time: 2026.12.08 14:29", 1},
        {0, "Signal service unreachable since 14:30", "", 2},
        {42, "Signal service reachable again", "", 1},
        {41, "EURUSD: 7 long lamps", "Signal: 0.4\nPrice: 1.0850\nMarket time: 2026.12.08 14:29", 1},
    };
    for (std::size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(expected[i].summary);
        const Call& c = calls[i];
        EXPECT_EQ(c.app, "Quorvane");
        EXPECT_EQ(c.icon, "example.quorvane.Quorvane");
        EXPECT_EQ(c.desktopEntry, "example.quorvane.Quorvane");
        EXPECT_EQ(c.replacesId, expected[i].replacesId);
        EXPECT_EQ(c.summary.toStdString(), expected[i].summary);
        EXPECT_EQ(c.body.toStdString(), expected[i].body);
        EXPECT_TRUE(c.urgencyIsByte) << "the urgency hint is a byte";
        EXPECT_EQ(c.urgency, expected[i].urgency);
        EXPECT_TRUE(c.actions.isEmpty());
        EXPECT_EQ(c.timeout, -1);
    }
    EXPECT_TRUE(balloons.empty());
}

TEST_F(DBusNotifierTest, BodyIsEscapedOnlyForAServiceThatReadsMarkup)
{
    const struct {
        const char* name;
        QStringList capabilities;
        const char* expected;
    } rows[] = {
        {"ReadsMarkup", {QStringLiteral("body"), QStringLiteral("body-markup")}, "Price: &lt;b&gt;1&amp;2&lt;/b&gt;"},
        {"PlainText", {QStringLiteral("body")}, "Price: <b>1&2</b>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ServiceThread desktop(bus, row.capabilities);
        ASSERT_TRUE(desktop.registered());
        DBusNotifier notifier(bus.connect(QStringLiteral("client")), balloon);
        EXPECT_EQ(notifier.show(lampNotification("Price: <b>1&2</b>")), 41u);
        ASSERT_EQ(desktop.service().calls().size(), 1u);
        EXPECT_EQ(desktop.service().calls()[0].body.toStdString(), row.expected);
        EXPECT_EQ(desktop.service().calls()[0].summary, "EURUSD: 6 long lamps");
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    }
}

TEST_F(DBusNotifierTest, NoServiceOnTheBusShowsTheBalloonUntilOneAppears)
{
    DBusNotifier notifier(bus.connect(QStringLiteral("client")), balloon);
    Notification critical = lampNotification("");
    critical.topic = NotificationTopic::Service;
    critical.summary = "Signal service unreachable since 14:30";
    critical.urgency = Urgency::Critical;
    EXPECT_EQ(notifier.show(lampNotification("Signal: 0.4")), 0u);
    EXPECT_EQ(notifier.show(critical), 0u);
    ASSERT_EQ(balloons.size(), 2u);
    EXPECT_EQ(balloons[0].summary, "EURUSD: 6 long lamps");
    EXPECT_EQ(balloons[0].body, "Signal: 0.4");
    EXPECT_EQ(balloons[1].urgency, Urgency::Critical);

    // A notification service that starts later takes over at once.
    ServiceThread desktop(bus, {QStringLiteral("body")});
    ASSERT_TRUE(desktop.registered());
    EXPECT_EQ(notifier.show(critical), 41u);
    EXPECT_EQ(desktop.service().calls().size(), 1u);
    EXPECT_EQ(balloons.size(), 2u);
}

int g_qtMessages = 0;

TEST_F(DBusNotifierTest, NoBusAtAllShowsNothingAndSaysNothing)
{
    // The only case that reaches for the session bus: Qt keeps its first
    // answer for the whole process.
    ScratchFolder nowhere;
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString("unix:path=" + (nowhere / "no-bus")));
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) { ++g_qtMessages; });
    const std::unique_ptr<Notifier> notifier = makeSessionNotifier(balloon);
    const int atStart = g_qtMessages;
    for (int poll = 0; poll < 5; ++poll)
        EXPECT_EQ(notifier->show(lampNotification("Signal: 0.4")), 0u);
    qInstallMessageHandler(previous);
    EXPECT_EQ(g_qtMessages, atStart) << "a message per poll";
    EXPECT_TRUE(balloons.empty());
}

} // namespace
} // namespace quorvane::test

#include "dbusnotifier_test.moc"
