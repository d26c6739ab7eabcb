// SPDX-License-Identifier: MIT
// The icon's callback messages: the session's end, and the mouse messages
// through one table of what each reports and which trigger it fires.

#include "ttrayicon.h"

#include <QCursor>
#include <QGuiApplication>

#include <algorithm>
#include <iterator>

namespace quorvane {

namespace {

enum class MouseAct { Move, Down, Up, DoubleClick };

// The mouse messages of the icon's callback: what each one reports, and the
// restore or menu trigger it fires once reported.
struct MouseMessage {
    unsigned message;
    MouseAct act;
    TMouseButton button;
    TShiftState buttonState;
    TTrayIconMessage trigger;
};

constexpr MouseMessage kMouseMessages[] = {
    {WM_MOUSEMOVE, MouseAct::Move, mbLeft, 0, imNone},
    {WM_LBUTTONDOWN, MouseAct::Down, mbLeft, ssLeft, imNone},
    {WM_LBUTTONUP, MouseAct::Up, mbLeft, ssLeft, imLeftClickUp},
    {WM_LBUTTONDBLCLK, MouseAct::DoubleClick, mbLeft, ssLeft, imLeftDoubleClick},
    {WM_RBUTTONDOWN, MouseAct::Down, mbRight, ssRight, imNone},
    {WM_RBUTTONUP, MouseAct::Up, mbRight, ssRight, imRightClickUp},
    {WM_RBUTTONDBLCLK, MouseAct::DoubleClick, mbRight, ssRight, imRightDoubleClick},
    {WM_MBUTTONDOWN, MouseAct::Down, mbMiddle, ssMiddle, imNone},
    {WM_MBUTTONUP, MouseAct::Up, mbMiddle, ssMiddle, imNone},
    {WM_MBUTTONDBLCLK, MouseAct::DoubleClick, mbMiddle, ssMiddle, imNone},
};

} // namespace

std::intptr_t TTrayIcon::DoMessage(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    switch (msg) {
    case WM_QUERYENDSESSION:
        return 1; // never hold up the end of the session
    case WM_ENDSESSION:
        // A cancelled logoff (wParam 0) keeps the icon, or a window sitting
        // in the tray could never be restored.
        if (wParam != 0)
            EndSession();
        return 0;
    case CallbackMessage:
        break;
    default:
        return 0;
    }

    const auto* mouse = std::find_if(std::begin(kMouseMessages), std::end(kMouseMessages),
                                     [lParam](const MouseMessage& m) { return m.message == static_cast<unsigned>(lParam); });
    if (mouse == std::end(kMouseMessages))
        return 0;
    const QPoint pos = QCursor::pos();
    switch (mouse->act) {
    case MouseAct::Move:
        if (OnMouseMove)
            DoMouseMove(ShiftState(), pos.x(), pos.y());
        break;
    case MouseAct::Down:
        DoMouseDown(mouse->button, ShiftState() | mouse->buttonState, pos.x(), pos.y());
        break;
    case MouseAct::Up:
        // A click also counts when a trigger waits for it, not only when
        // someone listens to OnClick.
        if (mouse->button == mbLeft && (OnClick || m_restoreOn == imClick || m_popupMenuOn == imClick))
            DoClick();
        DoMouseUp(mouse->button, ShiftState() | mouse->buttonState, pos.x(), pos.y());
        break;
    case MouseAct::DoubleClick:
        DoDblClick();
        break;
    }
    fireTrigger(mouse->trigger);
    return 0;
}

void TTrayIcon::fireTrigger(TTrayIconMessage trigger)
{
    if (trigger == imNone)
        return;
    if (m_restoreOn == trigger)
        Restore();
    if (m_popupMenuOn == trigger)
        ShowMenu();
}

TShiftState TTrayIcon::ShiftState()
{
    const Qt::KeyboardModifiers keys = QGuiApplication::queryKeyboardModifiers();
    TShiftState state = 0;
    if (keys & Qt::ShiftModifier)
        state |= ssShift;
    if (keys & Qt::ControlModifier)
        state |= ssCtrl;
    if (keys & Qt::AltModifier)
        state |= ssAlt;
    return state;
}

void TTrayIcon::DoClick()
{
    if (m_restoreOn == imClick)
        Restore();
    if (m_popupMenuOn == imClick)
        ShowMenu();
    if (OnClick)
        OnClick(this);
}

void TTrayIcon::DoDblClick()
{
    if (m_restoreOn == imDoubleClick)
        Restore();
    if (m_popupMenuOn == imDoubleClick)
        ShowMenu();
    if (OnDblClick)
        OnDblClick(this);
}

void TTrayIcon::DoMouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TTrayIcon::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (m_restoreOn == imMouseDown)
        Restore();
    if (m_popupMenuOn == imMouseDown)
        ShowMenu();
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TTrayIcon::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (m_restoreOn == imMouseUp)
        Restore();
    if (m_popupMenuOn == imMouseUp)
        ShowMenu();
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

} // namespace quorvane
