// SPDX-License-Identifier: MIT
#pragma once
// The notification area ("tray") of the desktop, reduced to the three calls the
// tray icon component needs: add, modify and delete one icon record. Each call
// reports whether the desktop accepted it. The real implementation sits on
// QSystemTrayIcon; tests use a stand-in.

#include <QIcon>
#include <QSystemTrayIcon>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quorvane {

/// The hidden window that receives the notification area's callback messages
/// for one icon. Whoever owns it sets the procedure; the shell only sends.
class TrayMessageWindow {
public:
    using Procedure = std::function<std::intptr_t(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam)>;

    explicit TrayMessageWindow(Procedure procedure) : m_procedure(std::move(procedure)) {}

    /// Delivers one message to the window procedure and returns its answer.
    std::intptr_t Send(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) const
    {
        return m_procedure ? m_procedure(msg, wParam, lParam) : 0;
    }

private:
    Procedure m_procedure;
};

/// Message numbers the component understands.
enum : unsigned {
    WM_QUERYENDSESSION = 0x0011,
    WM_ENDSESSION = 0x0016,
    WM_USER = 0x0400,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
};

/// One icon as the notification area knows it.
struct NotifyIconData {
    static constexpr unsigned NIF_MESSAGE = 1;
    static constexpr unsigned NIF_ICON = 2;
    static constexpr unsigned NIF_TIP = 4;
    /// Longest tip the record holds, without the terminating zero.
    static constexpr std::size_t MaxTip = 127;

    std::uint32_t size = 488;
    /// Receives the callback messages of this icon.
    const TrayMessageWindow* window = nullptr;
    /// Unique per icon; the owner's address.
    std::uintptr_t id = 0;
    /// Which of callbackMessage, icon and tip are valid.
    unsigned flags = 0;
    /// Sent to window with wParam = id and lParam = the mouse message.
    unsigned callbackMessage = 0;
    QIcon icon;
    /// 8-bit text, at most MaxTip characters.
    std::string tip;
};

/// The picture beside a balloon message.
enum class BalloonIcon { Information, Critical };

class TrayShell {
public:
    virtual ~TrayShell() = default;
    /// Puts a new icon into the notification area; false when refused
    /// (for example an icon with this id is already there).
    virtual bool Add(const NotifyIconData& data) = 0;
    /// Changes an icon that is there; false when there is no such icon.
    virtual bool Modify(const NotifyIconData& data) = 0;
    /// Takes an icon out; false when there is no such icon.
    virtual bool Delete(const NotifyIconData& data) = 0;
    /// False when the desktop has no notification area at all.
    virtual bool IsAvailable() const = 0;
    /// Shows a short message in a balloon at an icon that is there; false when
    /// there is no such icon or the notification area shows no messages.
    virtual bool showBalloon(const NotifyIconData& data, const std::string& title, const std::string& text,
                             BalloonIcon icon);
};

/// The mouse messages that make up an action Qt reports on a tray icon, in
/// the order the notification area would send them.
std::vector<unsigned> mouseMessagesFor(QSystemTrayIcon::ActivationReason reason);

/// The desktop's notification area on QSystemTrayIcon: one Qt tray icon per
/// record. Mouse actions on an icon reach the record's window as its
/// callback message, with wParam = id and lParam = the mouse message.
class SystemTrayShell final : public TrayShell {
public:
    SystemTrayShell() = default;
    ~SystemTrayShell() override;
    SystemTrayShell(const SystemTrayShell&) = delete;
    SystemTrayShell& operator=(const SystemTrayShell&) = delete;

    bool Add(const NotifyIconData& data) override;
    bool Modify(const NotifyIconData& data) override;
    bool Delete(const NotifyIconData& data) override;
    bool IsAvailable() const override;
    bool showBalloon(const NotifyIconData& data, const std::string& title, const std::string& text,
                     BalloonIcon icon) override;

    /// What happens when Qt reports an action on the icon with this id.
    void Activate(std::uintptr_t id, QSystemTrayIcon::ActivationReason reason);

private:
    struct Entry {
        QSystemTrayIcon* tray = nullptr;
        const TrayMessageWindow* window = nullptr;
        unsigned callbackMessage = 0;
    };
    static void apply(Entry& entry, const NotifyIconData& data);
    static void retire(QSystemTrayIcon* tray);

    std::map<std::uintptr_t, Entry> m_icons;
    // Lets a delivery notice that a handler freed this shell.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

/// The desktop's notification area.
std::unique_ptr<TrayShell> makeSystemTrayShell();

} // namespace quorvane
