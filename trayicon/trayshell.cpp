// SPDX-License-Identifier: MIT
#include "trayshell.h"

#include <QPixmap>
#include <QString>

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

} // namespace

bool TrayShell::showBalloon(const NotifyIconData&, const std::string&, const std::string&, BalloonIcon)
{
    return false;
}

std::vector<unsigned> mouseMessagesFor(QSystemTrayIcon::ActivationReason reason)
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

SystemTrayShell::~SystemTrayShell()
{
    for (auto& entry : m_icons)
        retire(entry.second.tray);
}

bool SystemTrayShell::Add(const NotifyIconData& data)
{
    if (m_icons.count(data.id) != 0)
        return false;
    Entry& entry = m_icons[data.id];
    entry.tray = new QSystemTrayIcon();
    entry.window = data.window;
    entry.callbackMessage = data.callbackMessage;
    const std::uintptr_t id = data.id;
    QObject::connect(entry.tray, &QSystemTrayIcon::activated, entry.tray,
                     [this, id](QSystemTrayIcon::ActivationReason reason) { Activate(id, reason); });
    apply(entry, data);
    // Shown even while no notification area is there: Qt embeds the icon as
    // soon as one appears.
    entry.tray->show();
    return true;
}

bool SystemTrayShell::Modify(const NotifyIconData& data)
{
    auto it = m_icons.find(data.id);
    if (it == m_icons.end())
        return false;
    apply(it->second, data);
    return true;
}

bool SystemTrayShell::Delete(const NotifyIconData& data)
{
    auto it = m_icons.find(data.id);
    if (it == m_icons.end())
        return false;
    QSystemTrayIcon* tray = it->second.tray;
    m_icons.erase(it);
    retire(tray);
    return true;
}

bool SystemTrayShell::IsAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool SystemTrayShell::showBalloon(const NotifyIconData& data, const std::string& title, const std::string& text,
                                  BalloonIcon icon)
{
    auto it = m_icons.find(data.id);
    if (it == m_icons.end() || !QSystemTrayIcon::supportsMessages())
        return false;
    it->second.tray->showMessage(QString::fromLocal8Bit(title), QString::fromLocal8Bit(text),
                                 icon == BalloonIcon::Critical ? QSystemTrayIcon::Critical
                                                               : QSystemTrayIcon::Information);
    return true;
}

void SystemTrayShell::Activate(std::uintptr_t id, QSystemTrayIcon::ActivationReason reason)
{
    // A handler may remove the icon or free this shell (and its owner)
    // between two messages of one action.
    const std::weak_ptr<bool> alive = m_alive;
    for (unsigned mouseMessage : mouseMessagesFor(reason)) {
        if (alive.expired())
            return;
        auto it = m_icons.find(id);
        if (it == m_icons.end() || it->second.window == nullptr)
            return;
        it->second.window->Send(it->second.callbackMessage, id, static_cast<std::intptr_t>(mouseMessage));
    }
}

void SystemTrayShell::apply(Entry& entry, const NotifyIconData& data)
{
    if (data.flags & NotifyIconData::NIF_MESSAGE) {
        entry.window = data.window;
        entry.callbackMessage = data.callbackMessage;
    }
    if (data.flags & NotifyIconData::NIF_ICON)
        entry.tray->setIcon(shownIcon(data.icon));
    // A record without a tip takes the tip away, so an emptied hint does not
    // linger over the icon.
    const std::string tip = data.tip.substr(0, NotifyIconData::MaxTip);
    entry.tray->setToolTip((data.flags & NotifyIconData::NIF_TIP) ? QString::fromLocal8Bit(tip.c_str()) : QString());
}

// The icon may be the sender of the signal being handled (a click that
// removes the icon), so it is hidden now and freed by the event loop.
void SystemTrayShell::retire(QSystemTrayIcon* tray)
{
    tray->hide();
    tray->disconnect();
    tray->deleteLater();
}

std::unique_ptr<TrayShell> makeSystemTrayShell()
{
    return std::make_unique<SystemTrayShell>();
}

} // namespace quorvane
