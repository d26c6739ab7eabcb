// SPDX-License-Identifier: MIT
#pragma once
// TTrayIcon: an icon in the desktop's notification area with a tip, mouse
// events, a restore trigger, a popup-menu trigger and icon animation. It hides
// the application window's task-bar button while the application sits in the
// tray. It knows nothing of the program that uses it.

#include "core/exceptions.h"
#include "timagelist.h"
#include "trayshell.h"

#include <QIcon>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QMenu;
class QTimer;
class QWidget;

namespace quorvane {

/// The notification area refused to add or remove the icon.
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

/// The mouse action that restores the application or pops up the menu.
enum TTrayIconMessage {
    imClick,
    imDoubleClick,
    imMouseDown,
    imMouseUp,
    imLeftClickUp,
    imLeftDoubleClick,
    imRightClickUp,
    imRightDoubleClick,
    imNone
};

/// Shift states: keys held and the button of the event.
enum TShiftStateFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
};
using TShiftState = unsigned;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

/// What happens to a component that another one refers to.
enum TOperation { opInsert, opRemove };

using TNotifyEvent = std::function<void(QObject* sender)>;
using TMouseEvent = std::function<void(QObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(QObject* sender, TShiftState shift, int x, int y)>;

class TTrayIcon : public QObject {
    Q_OBJECT
public:
    /// Message number of the notification area's callbacks (first user message + 1).
    static constexpr unsigned CallbackMessage = WM_USER + 1;
    /// Hints of this many characters or more are ignored.
    static constexpr std::size_t MaxHint = 64;

    /// applicationWindow: the window that Minimize/Restore move into and out of
    /// the tray and whose minimise the hook watches (may be null).
    /// shell: nullptr means the desktop's notification area.
    TTrayIcon(QObject* owner, QWidget* applicationWindow, std::unique_ptr<TrayShell> shell = nullptr);
    ~TTrayIcon() override;

    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    /// Whether the icon is in the tray. Setting true adds it, false removes it;
    /// throws EOutOfResources when the notification area refuses.
    bool Visible() const { return m_visible; }
    virtual void SetVisible(bool value);

    /// The icon's tip, 8-bit text. Texts of MaxHint characters or more are ignored.
    std::string Hint() const { return m_hint; }
    void SetHint(const std::string& value);

    /// The menu that PopupMenuOn pops up; not owned, cleared when it is destroyed.
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* menu);

    /// Stored only: true while the icon is shown, false after it was removed.
    bool Hide() const { return m_hide; }
    void SetHide(bool value);

    TTrayIconMessage RestoreOn() const { return m_restoreOn; }
    void SetRestoreOn(TTrayIconMessage value) { m_restoreOn = value; }
    TTrayIconMessage PopupMenuOn() const { return m_popupMenuOn; }
    void SetPopupMenuOn(TTrayIconMessage value) { m_popupMenuOn = value; }

    /// The pictures to show and animate; not owned, cleared when destroyed.
    TImageList* Icons() const;
    void SetIcons(TImageList* icons);

    /// Which picture of Icons is shown; an index outside Icons shows no picture.
    int IconIndex() const { return m_iconIndex; }
    virtual void SetIconIndex(int index);

    /// Milliseconds between two animation steps; 0 or less stops the steps.
    int AnimateInterval() const { return GetAnimateInterval(); }
    void SetAnimateInterval(int ms);
    int GetAnimateInterval() const;

    /// Steps through Icons on the animation timer. Before Loaded the flag is
    /// kept even without Icons; once loaded it stays false without Icons.
    bool GetAnimate() const { return m_animate; }
    void SetAnimate(bool value);

    /// The hidden window that receives the notification area's messages.
    const TrayMessageWindow* GetHandle() const { return m_window.get(); }
    /// The record sent to the notification area (for inspection).
    const NotifyIconData& IconData() const { return m_data; }
    /// The picture currently shown in the tray.
    QIcon ShownIcon() const { return m_icon; }
    /// The animation timer, so callers can watch it run.
    QTimer* AnimateTimer() const { return m_timer.get(); }

    /// Call once all properties are set: starts the animation and shows
    /// picture IconIndex of Icons (or the application's icon without Icons).
    void Loaded();
    /// Called when a component this one refers to goes away.
    void Notification(QObject* component, TOperation operation);

    /// Moves the application into the tray.
    virtual void Minimize();
    /// Brings the application back from the tray to the foreground.
    virtual void Restore();
    /// Pops up PopupMenu at the cursor.
    virtual void ShowMenu();
    /// Sends the current picture and tip to the notification area.
    virtual void Update();
    /// Shows the application's icon again.
    virtual void SetDefaultIcon();
    /// Removes the icon at the end of the user's session.
    void EndSession();
    /// Shows a short message in a balloon at the icon while it is in the tray;
    /// false when it is not or the notification area shows no messages.
    bool showBalloon(const std::string& title, const std::string& text, BalloonIcon icon)
    {
        return m_inTray && m_shell->showBalloon(m_data, title, text, icon);
    }

    /// The hidden window's procedure; answers a message and returns the result.
    virtual std::intptr_t DoMessage(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);

    /// Shift, Ctrl and Alt as held now.
    static TShiftState ShiftState();

    // Events. OnAnimate is set to DoOnAnimate at construction; the timer runs
    // the method set then. The last six are stored but never raised.
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnAnimate;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseMoveEvent OnMouseEnter;
    TMouseMoveEvent OnMouseExit;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

protected:
    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoMouseMove(TShiftState shift, int x, int y);
    virtual void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    /// One animation step: the next picture of Icons, wrapping to 0.
    virtual void DoOnAnimate();

    /// Watches the application window while the icon is shown.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Restores or pops up the menu when `trigger` is the one set for it.
    void fireTrigger(TTrayIconMessage trigger);
    bool ApplicationHookProc(QEvent* event);
    void hookApplication();
    void unhookApplication();
    void enableTimer(bool enabled);
    static QIcon applicationIcon();

    std::unique_ptr<TrayShell> m_shell;
    std::unique_ptr<TrayMessageWindow> m_window;
    std::unique_ptr<QTimer> m_timer;
    QPointer<QWidget> m_appWindow;
    NotifyIconData m_data;
    QIcon m_icon;
    std::string m_hint;
    QMenu* m_popupMenu = nullptr;
    TImageList* m_icons = nullptr;
    QMetaObject::Connection m_popupMenuGone;
    QMetaObject::Connection m_iconsGone;
    TTrayIconMessage m_restoreOn = imDoubleClick;
    TTrayIconMessage m_popupMenuOn = imNone;
    int m_iconIndex = 0;
    bool m_visible = false;
    bool m_hide = true;
    bool m_animate = false;
    /// True from construction until Loaded: properties are still being set.
    bool m_loading = true;
    bool m_timerEnabled = false;
    bool m_inTray = false;
    bool m_hooked = false;
    // Set while Minimize or Restore change the window's state themselves, so
    // the hook does not answer those changes.
    bool m_moving = false;
};

} // namespace quorvane
