#include "trayshell.h"

#include <QPixmap>
#include <QString>
#include <QSystemTrayIcon>

#include <map>

namespace quorvane {

namespace {

// Qt refuses to show a tray icon without a picture, while the notification
// area keeps a place for an icon whose picture is missing. A transparent
// picture keeps the icon (and its mouse actions) in the tray.
QIcon shownIcon(const QIcon& icon)
{
    if (!icon.isNull())
        return icon;
    static const QIcon blank = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        return QIcon(pixmap);
    }();
    return blank;
}

class SystemTrayShell final : public TrayShell {
public:
    ~SystemTrayShell() override
    {
        for (auto& entry : m_icons)
            retire(entry.second.tray);
    }

    bool Add(const NotifyIconData& data) override
    {
        if (m_icons.count(data.id) != 0)
            return false;
        Entry entry;
        entry.tray = new QSystemTrayIcon();
        entry.window = data.window;
        entry.callbackMessage = data.callbackMessage;
        const std::uintptr_t id = data.id;
        QObject::connect(entry.tray, &QSystemTrayIcon::activated, entry.tray,
                         [this, id](QSystemTrayIcon::ActivationReason reason) { activated(id, reason); });
        m_icons.emplace(id, entry);
        apply(m_icons[id], data);
        // Shown even while no notification area is there: Qt embeds the icon
        // as soon as one appears.
        m_icons[id].tray->show();
        return true;
    }

    bool Modify(const NotifyIconData& data) override
    {
        auto it = m_icons.find(data.id);
        if (it == m_icons.end())
            return false;
        apply(it->second, data);
        return true;
    }

    bool Delete(const NotifyIconData& data) override
    {
        auto it = m_icons.find(data.id);
        if (it == m_icons.end())
            return false;
        QSystemTrayIcon* tray = it->second.tray;
        m_icons.erase(it);
        retire(tray);
        return true;
    }

    bool IsAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

private:
    struct Entry {
        QSystemTrayIcon* tray = nullptr;
        const TrayMessageWindow* window = nullptr;
        unsigned callbackMessage = 0;
    };

    static void apply(Entry& entry, const NotifyIconData& data)
    {
        if (data.flags & NotifyIconData::NIF_MESSAGE) {
            entry.window = data.window;
            entry.callbackMessage = data.callbackMessage;
        }
        if (data.flags & NotifyIconData::NIF_ICON)
            entry.tray->setIcon(shownIcon(data.icon));
        // A record without a tip takes the tip away, so an emptied hint
        // does not linger over the icon.
        const std::string tip = data.tip.substr(0, NotifyIconData::MaxTip);
        entry.tray->setToolTip((data.flags & NotifyIconData::NIF_TIP) ? QString::fromLocal8Bit(tip.c_str())
                                                                      : QString());
    }

    // The icon may be the sender of the signal being handled (a click that
    // removes the icon), so it is hidden now and freed by the event loop.
    static void retire(QSystemTrayIcon* tray)
    {
        tray->hide();
        tray->disconnect();
        tray->deleteLater();
    }

    void activated(std::uintptr_t id, QSystemTrayIcon::ActivationReason reason)
    {
        // A handler may free this shell (and its owner) between two messages.
        std::weak_ptr<bool> alive = m_alive;
        auto send = [this, id, alive](unsigned mouseMessage) {
            if (alive.expired())
                return;
            auto it = m_icons.find(id);
            if (it == m_icons.end() || it->second.window == nullptr)
                return;
            it->second.window->Send(it->second.callbackMessage, id, static_cast<std::intptr_t>(mouseMessage));
        };
        for (unsigned mouseMessage : MouseMessagesFor(reason))
            send(mouseMessage);
    }

    std::map<std::uintptr_t, Entry> m_icons;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace

std::vector<unsigned> MouseMessagesFor(QSystemTrayIcon::ActivationReason reason)
{
    // Qt reports finished actions, the notification area reports button
    // transitions; each action becomes the messages that make it up.
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return {WM_LBUTTONDOWN, WM_LBUTTONUP};
    case QSystemTrayIcon::DoubleClick:
        return {WM_LBUTTONDBLCLK};
    case QSystemTrayIcon::Context:
        return {WM_RBUTTONDOWN, WM_RBUTTONUP};
    case QSystemTrayIcon::MiddleClick:
        return {WM_MBUTTONDOWN, WM_MBUTTONUP};
    case QSystemTrayIcon::Unknown:
        break;
    }
    return {};
}

std::unique_ptr<TrayShell> MakeSystemTrayShell()
{
    return std::make_unique<SystemTrayShell>();
}

} // namespace quorvane
