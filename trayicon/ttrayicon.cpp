// SPDX-License-Identifier: MIT
#include "ttrayicon.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScopedValueRollback>
#include <QSessionManager>
#include <QTimer>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace quorvane {

namespace {

constexpr int DefaultAnimateInterval = 1000;

} // namespace

TTrayIcon::TTrayIcon(QObject* owner, QWidget* applicationWindow, std::unique_ptr<TrayShell> shell)
    : QObject(owner),
      m_shell(shell ? std::move(shell) : makeSystemTrayShell()),
      m_timer(std::make_unique<QTimer>()),
      m_appWindow(applicationWindow)
{
    m_icon = applicationIcon();
    OnAnimate = [this](QObject*) { DoOnAnimate(); };

    // The timer keeps running the step it was given now, whatever OnAnimate
    // is changed to later.
    m_timer->setInterval(DefaultAnimateInterval);
    const TNotifyEvent tick = OnAnimate;
    connect(m_timer.get(), &QTimer::timeout, this, [this, tick] { tick(this); });

    m_window = std::make_unique<TrayMessageWindow>(
        [this](unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) { return DoMessage(msg, wParam, lParam); });
    m_data.window = m_window.get();
    m_data.id = reinterpret_cast<std::uintptr_t>(this);
    m_data.flags = NotifyIconData::NIF_MESSAGE | NotifyIconData::NIF_ICON;
    m_data.callbackMessage = CallbackMessage;

    // The end of the user's session reaches the hidden window as the
    // query (commit data) and the notice (quit) that the session ends.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { DoMessage(WM_QUERYENDSESSION, 0, 0); });
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { DoMessage(WM_ENDSESSION, 1, 0); });
    }
    Update();
}

TTrayIcon::~TTrayIcon()
{
    enableTimer(false);
    m_shell->Delete(m_data); // gone already is fine
    unhookApplication();
    m_window.reset();
}

void TTrayIcon::SetVisible(bool value)
{
    m_visible = value;
    if (value) {
        if (!m_inTray) {
            if (!m_shell->Add(m_data))
                throw EOutOfResources("Cannot Create System Shell Notification Icon");
            m_inTray = true;
        }
        m_hide = true;
        hookApplication();
    } else {
        if (m_inTray) {
            // The hook stays while the icon could not be removed.
            if (!m_shell->Delete(m_data))
                throw EOutOfResources("Cannot Remove System Shell Notification Icon");
            m_inTray = false;
        }
        m_hide = false;
        unhookApplication();
    }
}

void TTrayIcon::SetHint(const std::string& value)
{
    if (value == m_hint || value.size() >= MaxHint)
        return;
    m_hint = value;
    m_data.tip = value.substr(0, NotifyIconData::MaxTip);
    if (value.empty())
        m_data.flags &= ~NotifyIconData::NIF_TIP;
    else
        m_data.flags |= NotifyIconData::NIF_TIP;
    Update();
}

QMenu* TTrayIcon::PopupMenu() const
{
    return m_popupMenu;
}

void TTrayIcon::SetPopupMenu(QMenu* menu)
{
    if (menu == m_popupMenu)
        return;
    disconnect(m_popupMenuGone);
    m_popupMenu = menu;
    if (menu)
        m_popupMenuGone = connect(menu, &QObject::destroyed, this,
                                  [this](QObject* gone) { Notification(gone, opRemove); });
}

void TTrayIcon::SetHide(bool value)
{
    m_hide = value;
}

TImageList* TTrayIcon::Icons() const
{
    return m_icons;
}

void TTrayIcon::SetIcons(TImageList* icons)
{
    if (icons == m_icons)
        return;
    disconnect(m_iconsGone);
    m_icons = icons;
    if (icons)
        m_iconsGone = connect(icons, &QObject::destroyed, this,
                              [this](QObject* gone) { Notification(gone, opRemove); });
}

void TTrayIcon::SetIconIndex(int index)
{
    m_iconIndex = index;
    if (m_icons)
        m_icon = m_icons->Icon(index);
    Update();
}

int TTrayIcon::GetAnimateInterval() const
{
    return m_timer->interval();
}

void TTrayIcon::SetAnimateInterval(int ms)
{
    m_timer->setInterval(ms > 0 ? ms : 0);
    enableTimer(m_timerEnabled);
}

void TTrayIcon::enableTimer(bool enabled)
{
    // An interval of 0 stops the ticks instead of stepping on every pass of
    // the event loop; the timer resumes once a real interval is set.
    m_timerEnabled = enabled;
    if (enabled && m_timer->interval() > 0)
        m_timer->start();
    else
        m_timer->stop();
}

void TTrayIcon::SetAnimate(bool value)
{
    // Until Loaded the flag is kept for Icons still to come ("Animate, then
    // Icons"); afterwards, without pictures there is nothing to step through.
    if (!m_icons && !m_loading)
        return;
    m_animate = value;
    if (m_icons)
        enableTimer(value);
}

void TTrayIcon::Loaded()
{
    m_loading = false;
    if (m_icons) {
        enableTimer(m_animate);
        m_icon = m_icons->Icon(m_iconIndex);
    } else {
        m_animate = false;
        enableTimer(false);
        m_icon = applicationIcon();
    }
    Update();
}

void TTrayIcon::Notification(QObject* component, TOperation operation)
{
    if (operation != opRemove || component == nullptr)
        return;
    if (component == m_icons) {
        disconnect(m_iconsGone);
        m_icons = nullptr;
    } else if (component == m_popupMenu) {
        disconnect(m_popupMenuGone);
        m_popupMenu = nullptr;
    }
}

void TTrayIcon::Minimize()
{
    if (m_appWindow) {
        const QScopedValueRollback<bool> moving(m_moving, true);
        // Only an icon that is really in a notification area can bring the
        // window back; otherwise the window keeps its task-bar button.
        const bool toTray = m_inTray && m_shell->IsAvailable();
        if (!(m_appWindow->windowState() & Qt::WindowMinimized))
            m_appWindow->setWindowState(m_appWindow->windowState() | Qt::WindowMinimized);
        if (toTray)
            m_appWindow->hide();
        else if (!m_appWindow->isVisible())
            m_appWindow->showMinimized();
    }
    if (OnMinimize)
        OnMinimize(this);
}

void TTrayIcon::Restore()
{
    if (m_appWindow) {
        const QScopedValueRollback<bool> moving(m_moving, true);
        // Clearing only the minimised bit brings a maximised window back maximised.
        m_appWindow->setWindowState(m_appWindow->windowState() & ~Qt::WindowMinimized);
        m_appWindow->show();
        m_appWindow->raise();
        m_appWindow->activateWindow();
    }
    if (OnRestore)
        OnRestore(this);
}

void TTrayIcon::ShowMenu()
{
    const QPoint pos = QCursor::pos();
    // Activating the application first lets the menu close when the user
    // clicks elsewhere.
    if (QWidget* active = QApplication::activeWindow())
        active->activateWindow();
    if (m_popupMenu)
        m_popupMenu->popup(pos);
}

void TTrayIcon::Update()
{
    m_data.icon = m_icon;
    if (m_visible)
        m_shell->Modify(m_data); // a refused change is not worth an error
}

void TTrayIcon::SetDefaultIcon()
{
    m_icon = applicationIcon();
    Update();
}

void TTrayIcon::EndSession()
{
    if (m_shell->Delete(m_data))
        m_inTray = false;
}

void TTrayIcon::DoOnAnimate()
{
    // The pictures may have gone away while the timer ran.
    if (!m_icons)
        return;
    int next = m_iconIndex + 1;
    if (next > m_icons->Count() - 1)
        next = 0;
    SetIconIndex(next);
    Update();
}

bool TTrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    if (m_hooked && watched == m_appWindow)
        ApplicationHookProc(event);
    return QObject::eventFilter(watched, event);
}

bool TTrayIcon::ApplicationHookProc(QEvent* event)
{
    if (event->type() != QEvent::WindowStateChange || m_moving || !m_appWindow)
        return false;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool was = change->oldState() & Qt::WindowMinimized;
    const bool now = m_appWindow->windowState() & Qt::WindowMinimized;
    if (now && !was)
        Minimize();
    else if (was && !now)
        Restore();
    return false; // the window's own handling goes on
}

void TTrayIcon::hookApplication()
{
    if (m_hooked || !m_appWindow)
        return;
    m_appWindow->installEventFilter(this);
    m_hooked = true;
}

void TTrayIcon::unhookApplication()
{
    if (!m_hooked)
        return;
    if (m_appWindow)
        m_appWindow->removeEventFilter(this);
    m_hooked = false;
}

QIcon TTrayIcon::applicationIcon()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QGuiApplication::windowIcon();
    return QIcon();
}

} // namespace quorvane
