// SPDX-License-Identifier: MIT
// The tray icon component on a fake notification area: the callback message's
// dispatch per trigger kind, the icon record, Visible and refusals, the hint
// rule, pictures and animation, references that go away, and moving the window
// into the tray and back.

#include "trayicon/ttrayicon.h"

#include "tests/support/qtapp.h"

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <utility>
#include <vector>

namespace quorvane::test {
namespace {

QIcon filled(Qt::GlobalColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// The application (qtapp.h, set up before this) gets a window icon of its own.
class AppIcon : public ::testing::Environment {
    void SetUp() override { QApplication::setWindowIcon(filled(Qt::magenta)); }
};
const auto* const registered = ::testing::AddGlobalTestEnvironment(new AppIcon);

// A notification area that records every call and refuses on request.
struct ShellLog {
    std::vector<std::pair<std::string, NotifyIconData>> calls; // "add", "modify", "delete"
    bool refuseAdd = false, refuseDelete = false, available = true, present = false;
    std::vector<std::string> balloons; // "title / text", " (critical)" after critical ones
    std::uintptr_t balloonId = 0;
    const NotifyIconData& last() const { return calls.back().second; }
};

class FakeShell final : public TrayShell {
public:
    explicit FakeShell(ShellLog& log) : m(log) {}
    bool Add(const NotifyIconData& data) override { return note("add", data, !m.refuseAdd && !m.present, true); }
    bool Modify(const NotifyIconData& data) override { return note("modify", data, m.present, true); }
    bool Delete(const NotifyIconData& data) override { return note("delete", data, !m.refuseDelete && m.present, false); }
    bool IsAvailable() const override { return m.available; }
    bool showBalloon(const NotifyIconData& data, const std::string& title, const std::string& text,
                     BalloonIcon icon) override
    {
        m.balloons.push_back(title + " / " + text + (icon == BalloonIcon::Critical ? " (critical)" : ""));
        m.balloonId = data.id;
        return m.present;
    }

private:
    bool note(const char* op, const NotifyIconData& data, bool accepted, bool presentAfter)
    {
        m.calls.emplace_back(op, data);
        m.present = accepted ? presentAfter : m.present;
        return accepted;
    }
    ShellLog& m;
};

// Writes down, in order, its Do operations, Restore, ShowMenu and events.
class RecordingTrayIcon : public TTrayIcon {
public:
    explicit RecordingTrayIcon(ShellLog& log, QWidget* window = nullptr)
        : TTrayIcon(nullptr, window, std::make_unique<FakeShell>(log))
    {
        OnMinimize = [this](QObject*) { note("OnMinimize"); };
        OnRestore = [this](QObject*) { note("OnRestore"); };
        OnDblClick = [this](QObject*) { note("OnDblClick"); };
        OnMouseUp = [this](QObject*, TMouseButton, TShiftState, int, int) { note("OnMouseUp"); };
    }

    std::string calls; // space-separated
    bool passOn = false; // Restore and ShowMenu also do their real work

    void note(const std::string& what) { calls += (calls.empty() ? "" : " ") + what; }
    void Restore() override { note("Restore"); if (passOn) TTrayIcon::Restore(); }
    void ShowMenu() override { note("ShowMenu"); if (passOn) TTrayIcon::ShowMenu(); }
    /// Sends a mouse message as the notification area does.
    std::intptr_t Mouse(unsigned message) { return DoMessage(CallbackMessage, IconData().id, message); }
    using TTrayIcon::DoOnAnimate;

protected:
    void DoClick() override { note("DoClick"); TTrayIcon::DoClick(); }
    void DoDblClick() override { note("DoDblClick"); TTrayIcon::DoDblClick(); }
    void DoMouseMove(TShiftState s, int x, int y) override
    {
        note(s & (ssLeft | ssRight | ssMiddle) ? "DoMouseMove(with a button flag)" : "DoMouseMove");
        TTrayIcon::DoMouseMove(s, x, y);
    }
    void DoMouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        note("DoMouseDown" + name(b, s));
        TTrayIcon::DoMouseDown(b, s, x, y);
    }
    void DoMouseUp(TMouseButton b, TShiftState s, int x, int y) override
    {
        note("DoMouseUp" + name(b, s));
        TTrayIcon::DoMouseUp(b, s, x, y);
    }

private:
    // The button, whose flag the shift state must carry.
    static std::string name(TMouseButton b, TShiftState s)
    {
        const TShiftState flags[] = {ssLeft, ssRight, ssMiddle};
        const char* const names[] = {"(left)", "(right)", "(middle)"};
        return (s & (ssLeft | ssRight | ssMiddle)) == flags[b] ? names[b] : "(flag mismatch)";
    }
};

// The callback message: Do operations, Restore and ShowMenu in order, per trigger kind.
struct Row {
    const char* name;
    TTrayIconMessage restoreOn, popupMenuOn;
    unsigned message;
    bool handlers; // OnClick and OnMouseMove set
    const char* expected;
};

// GoogleTest shows the row's name instead of its raw bytes.
void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.name;
}

class Dispatch : public ::testing::TestWithParam<Row> {};

TEST_P(Dispatch, RunsOperationsInOrder)
{
    const Row& row = GetParam();
    ShellLog log;
    RecordingTrayIcon icon(log);
    icon.SetRestoreOn(row.restoreOn);
    icon.SetPopupMenuOn(row.popupMenuOn);
    if (row.handlers) {
        icon.OnClick = [&icon](QObject*) { icon.note("OnClick"); };
        icon.OnMouseMove = [&icon](QObject*, TShiftState, int, int) { icon.note("OnMouseMove"); };
    }
    EXPECT_EQ(icon.Mouse(row.message), 0);
    EXPECT_EQ(icon.calls, row.expected);
}

const Row rows[] = {
    // Double click of any button: Restore and ShowMenu before the event.
    {"DoubleClickLeft", imDoubleClick, imNone, WM_LBUTTONDBLCLK, false, "DoDblClick Restore OnDblClick"},
    {"DoubleClickMiddle", imDoubleClick, imNone, WM_MBUTTONDBLCLK, false, "DoDblClick Restore OnDblClick"},
    {"DoubleClickRestoresBeforeMenu", imDoubleClick, imDoubleClick, WM_LBUTTONDBLCLK, false,
     "DoDblClick Restore ShowMenu OnDblClick"},
    {"DoubleClickIgnoresRelease", imDoubleClick, imNone, WM_LBUTTONUP, false, "DoMouseUp(left) OnMouseUp"},
    // Double click of one button: after the event.
    {"LeftDoubleClick", imLeftDoubleClick, imNone, WM_LBUTTONDBLCLK, false, "DoDblClick OnDblClick Restore"},
    {"LeftDoubleClickIgnoresRight", imLeftDoubleClick, imNone, WM_RBUTTONDBLCLK, false, "DoDblClick OnDblClick"},
    {"RightDoubleClick", imNone, imRightDoubleClick, WM_RBUTTONDBLCLK, false, "DoDblClick OnDblClick ShowMenu"},
    {"RightDoubleClickIgnoresLeft", imRightDoubleClick, imRightDoubleClick, WM_LBUTTONDBLCLK, false,
     "DoDblClick OnDblClick"},
    {"MiddleDoubleClickHasNoOwnTrigger", imLeftDoubleClick, imRightDoubleClick, WM_MBUTTONDBLCLK, false,
     "DoDblClick OnDblClick"},
    // Down / up of any button.
    {"MouseDownRight", imMouseDown, imMouseDown, WM_RBUTTONDOWN, false, "DoMouseDown(right) Restore ShowMenu"},
    {"MouseDownMiddle", imMouseDown, imNone, WM_MBUTTONDOWN, false, "DoMouseDown(middle) Restore"},
    {"MouseDownNotOnUp", imMouseDown, imMouseDown, WM_RBUTTONUP, false, "DoMouseUp(right) OnMouseUp"},
    {"MouseUpLeft", imMouseUp, imNone, WM_LBUTTONUP, false, "DoMouseUp(left) Restore OnMouseUp"},
    {"MouseUpMiddle", imNone, imMouseUp, WM_MBUTTONUP, false, "DoMouseUp(middle) ShowMenu OnMouseUp"},
    {"MouseUpNotOnDown", imMouseUp, imMouseUp, WM_LBUTTONDOWN, false, "DoMouseDown(left)"},
    // Release of one button: after the up event.
    {"LeftClickUp", imLeftClickUp, imLeftClickUp, WM_LBUTTONUP, false, "DoMouseUp(left) OnMouseUp Restore ShowMenu"},
    {"LeftClickUpIgnoresRight", imLeftClickUp, imNone, WM_RBUTTONUP, false, "DoMouseUp(right) OnMouseUp"},
    {"RightClickUp", imDoubleClick, imRightClickUp, WM_RBUTTONUP, false, "DoMouseUp(right) OnMouseUp ShowMenu"},
    {"RightClickUpNotOnDown", imRightClickUp, imRightClickUp, WM_RBUTTONDOWN, false, "DoMouseDown(right)"},
    // A click (left release) comes before the release; it also runs for a trigger without OnClick.
    {"ClickWithHandler", imNone, imNone, WM_LBUTTONUP, true, "DoClick OnClick DoMouseUp(left) OnMouseUp"},
    {"ClickTriggersWithoutHandler", imClick, imClick, WM_LBUTTONUP, false,
     "DoClick Restore ShowMenu DoMouseUp(left) OnMouseUp"},
    {"ClickTriggersBeforeHandler", imClick, imNone, WM_LBUTTONUP, true,
     "DoClick Restore OnClick DoMouseUp(left) OnMouseUp"},
    {"ClickOnlyFromLeftButton", imClick, imClick, WM_RBUTTONUP, true, "DoMouseUp(right) OnMouseUp"},
    {"NoClickWithoutHandlerOrTrigger", imDoubleClick, imRightClickUp, WM_LBUTTONUP, false, "DoMouseUp(left) OnMouseUp"},
    {"NoneNeverActs", imNone, imNone, WM_LBUTTONDBLCLK, false, "DoDblClick OnDblClick"},
    // A move only with a handler; unknown messages do nothing.
    {"MoveWithHandler", imMouseDown, imMouseUp, WM_MOUSEMOVE, true, "DoMouseMove OnMouseMove"},
    {"MoveWithoutHandler", imMouseDown, imMouseUp, WM_MOUSEMOVE, false, ""},
    {"WheelIsIgnored", imMouseDown, imMouseUp, 0x020A, true, ""},
};

INSTANTIATE_TEST_SUITE_P(Triggers, Dispatch, ::testing::ValuesIn(rows),
                         [](const auto& info) { return std::string(info.param.name); });

class TrayIcon : public ::testing::Test {
protected:
    TrayIcon()
    {
        for (Qt::GlobalColor colour : {Qt::white, Qt::green, Qt::red, Qt::blue, Qt::yellow})
            pictures->Add(filled(colour));
        window.show();
    }
    // The picture that reached the tray last, as a key (0: no picture).
    qint64 shown() const { return log.last().icon.cacheKey(); }
    static qint64 appIcon() { return QApplication::windowIcon().cacheKey(); }
    // The message of the refusal that f raises, "" when it raises none.
    template <class F>
    static std::string refusal(F f) try {
        f();
        return "";
    } catch (const EOutOfResources& error) {
        return error.what();
    }

    ShellLog log;
    std::unique_ptr<TImageList> pictures = std::make_unique<TImageList>(); // five, like the lamps
    QWidget window;
};

TEST_F(TrayIcon, RecordVisibleAndEndOfSession)
{
    RecordingTrayIcon icon(log);
    EXPECT_EQ(icon.IconData().flags, NotifyIconData::NIF_MESSAGE | NotifyIconData::NIF_ICON);
    EXPECT_EQ(icon.IconData().icon.cacheKey(), appIcon());
    EXPECT_EQ(icon.AnimateInterval(), 1000);
    EXPECT_TRUE(log.calls.empty()) << "nothing reaches the tray before Visible";

    icon.SetVisible(true);
    EXPECT_NO_THROW(icon.SetVisible(true)) << "already there: not added twice";
    EXPECT_TRUE(log.present && icon.Hide());
    icon.SetVisible(false);
    EXPECT_FALSE(log.present || icon.Hide());

    // The shell's callbacks reach the component through its window, and only as the callback message.
    ASSERT_EQ(icon.IconData().window, icon.GetHandle());
    for (unsigned msg : {TTrayIcon::CallbackMessage - 1, TTrayIcon::CallbackMessage + 1, 1025u})
        icon.GetHandle()->Send(msg, icon.IconData().id, WM_LBUTTONDBLCLK);
    EXPECT_EQ(icon.calls, "DoDblClick Restore OnDblClick");

    icon.SetVisible(true);
    EXPECT_EQ(icon.DoMessage(WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_EQ(icon.DoMessage(WM_ENDSESSION, 0, 0), 0); // a cancelled logoff keeps the icon
    EXPECT_TRUE(log.present);
    icon.DoMessage(WM_ENDSESSION, 1, 0);
    EXPECT_FALSE(log.present);
    EXPECT_EQ(log.last().id, icon.IconData().id);
    EXPECT_NO_THROW(icon.SetVisible(false)) << "hiding after the session took the icon is no refusal";
}

TEST_F(TrayIcon, BalloonOnlyWhileTheIconIsInTheTray)
{
    RecordingTrayIcon icon(log);
    EXPECT_FALSE(icon.showBalloon("before", "", BalloonIcon::Information));
    icon.SetVisible(true);
    EXPECT_TRUE(icon.showBalloon("Signal service unreachable since 14:30", "", BalloonIcon::Critical));
    EXPECT_TRUE(icon.showBalloon("EURUSD: 6 long lamps", "Signal: 0.4", BalloonIcon::Information));
    icon.SetVisible(false);
    EXPECT_FALSE(icon.showBalloon("after", "", BalloonIcon::Information));
    EXPECT_EQ(log.balloons, (std::vector<std::string>{"Signal service unreachable since 14:30 /  (critical)",
                                                      "EURUSD: 6 long lamps / Signal: 0.4"}));
    EXPECT_EQ(log.balloonId, icon.IconData().id);
}

TEST_F(TrayIcon, RefusalsRaiseAndLaterCallsRetry)
{
    RecordingTrayIcon icon(log, &window);
    log.refuseAdd = true;
    EXPECT_EQ(refusal([&] { icon.SetVisible(true); }), "Cannot Create System Shell Notification Icon");
    log.refuseAdd = false;
    icon.SetVisible(true);
    ASSERT_TRUE(log.present);

    log.refuseDelete = true;
    EXPECT_EQ(refusal([&] { icon.SetVisible(false); }), "Cannot Remove System Shell Notification Icon");
    EXPECT_FALSE(icon.Visible());
    window.setWindowState(Qt::WindowMinimized); // the icon is still there, and so is the hook
    EXPECT_EQ(icon.calls, "OnMinimize");
    log.refuseDelete = false;
    icon.SetVisible(false);
    EXPECT_FALSE(log.present);
}

TEST_F(TrayIcon, HintRuleStoresOnlyShortChangedTexts)
{
    const struct {
        std::string before, text, expected;
        int modifies;
    } rows[] = {
        {"", "Quorvane 2.0", "Quorvane 2.0", 1},
        {"", std::string(63, 'x'), std::string(63, 'x'), 1},
        {"Quorvane 2.0", std::string(64, 'x'), "Quorvane 2.0", 0},
        {"Quorvane 2.0", "Quorvane 2.0", "Quorvane 2.0", 0},
        {"Quorvane 2.0", "", "", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("'" + row.before + "' -> '" + row.text + "'");
        RecordingTrayIcon icon(log);
        icon.SetIcons(pictures.get());
        icon.SetVisible(true);
        icon.SetHint(row.before);
        const std::size_t callsBefore = log.calls.size();
        icon.SetHint(row.text);
        EXPECT_EQ(icon.Hint(), row.expected);
        EXPECT_EQ(log.calls.size() - callsBefore, row.modifies) << "modify calls";
        // A later picture change still reaches the tray, with the tip flag only when there is a tip.
        icon.SetIconIndex(3);
        EXPECT_EQ(shown(), pictures->Icon(3).cacheKey());
        EXPECT_EQ(log.last().tip, row.expected);
        EXPECT_EQ((log.last().flags & NotifyIconData::NIF_TIP) != 0, !row.expected.empty());
    }
}

TEST_F(TrayIcon, PicturesIndexOutsideIconsDefaultIconAndLoaded)
{
    RecordingTrayIcon icon(log);
    icon.SetVisible(true);
    icon.SetAnimate(true);
    icon.Loaded();
    EXPECT_FALSE(icon.GetAnimate()) << "no Icons, no animation";
    EXPECT_EQ(shown(), appIcon());

    icon.SetIcons(pictures.get());
    for (int outside : {5, -1, 1000}) {
        icon.SetIconIndex(outside);
        EXPECT_EQ(shown(), 0) << outside;
    }
    icon.SetIconIndex(2);
    icon.SetDefaultIcon();
    EXPECT_EQ(shown(), appIcon());
    EXPECT_EQ(icon.IconIndex(), 2);
    icon.Loaded();
    EXPECT_EQ(shown(), pictures->Icon(2).cacheKey());
}

// Regression: SetAnimate before Icons dropped the flag, so a component set up
// "Animate, then Icons" never animated.
TEST_F(TrayIcon, AnimateBeforeIconsIsKeptUntilLoaded)
{
    RecordingTrayIcon icon(log);
    icon.SetAnimate(true);
    EXPECT_TRUE(icon.GetAnimate());
    EXPECT_FALSE(icon.AnimateTimer()->isActive()) << "nothing to step through yet";
    icon.SetIcons(pictures.get());
    icon.Loaded();
    EXPECT_TRUE(icon.GetAnimate());
    EXPECT_TRUE(icon.AnimateTimer()->isActive());

    RecordingTrayIcon loaded(log); // once loaded, no Icons means no animation
    loaded.Loaded();
    loaded.SetAnimate(true);
    EXPECT_FALSE(loaded.GetAnimate());
    EXPECT_FALSE(loaded.AnimateTimer()->isActive());
}

TEST_F(TrayIcon, AnimationStepsThroughPicturesAndWraps)
{
    RecordingTrayIcon icon(log);
    icon.SetVisible(true);
    icon.SetIcons(pictures.get());
    icon.SetAnimateInterval(1);
    std::vector<int> steps{icon.IconIndex()};
    QObject probe; // sees each tick after the component handled it
    QObject::connect(icon.AnimateTimer(), &QTimer::timeout, &probe, [&] {
        steps.push_back(shown() == pictures->Icon(icon.IconIndex()).cacheKey() ? icon.IconIndex() : -1);
    });
    icon.SetAnimate(true);
    icon.Loaded();
    ASSERT_TRUE(QTest::qWaitFor([&] { return steps.size() >= 6; }, 5000));
    icon.SetAnimate(false);
    EXPECT_EQ(std::vector<int>(steps.begin(), steps.begin() + 6), std::vector<int>({0, 1, 2, 3, 4, 0}));

    icon.SetIconIndex(9);
    icon.DoOnAnimate();
    EXPECT_EQ(icon.IconIndex(), 0) << "a step from outside Icons starts over";

    // An interval of 0 or less stops the steps until a real interval is set.
    icon.SetAnimate(true);
    for (int stop : {0, -5}) {
        icon.SetAnimateInterval(stop);
        EXPECT_FALSE(icon.AnimateTimer()->isActive()) << stop;
    }
    icon.SetAnimateInterval(250);
    EXPECT_TRUE(icon.AnimateTimer()->isActive());
    icon.SetAnimate(false);
    icon.SetAnimateInterval(300);
    EXPECT_FALSE(icon.AnimateTimer()->isActive());
}

TEST_F(TrayIcon, MenuPopsUpAndGoneComponentsAreForgotten)
{
    auto menu = std::make_unique<QMenu>();
    menu->addAction("&Restore");
    RecordingTrayIcon icon(log);
    icon.passOn = true;
    icon.SetIcons(pictures.get());
    icon.SetPopupMenu(menu.get());
    icon.SetPopupMenuOn(imRightClickUp);
    icon.Mouse(WM_RBUTTONUP);
    EXPECT_TRUE(menu->isVisible());

    QObject unrelated;
    icon.Notification(&unrelated, opRemove);
    icon.Notification(pictures.get(), opInsert);
    menu.reset();
    EXPECT_EQ(icon.PopupMenu(), nullptr);
    EXPECT_EQ(icon.Icons(), pictures.get());
    icon.Mouse(WM_RBUTTONUP); // no menu left to pop up

    icon.SetAnimate(true);
    icon.SetIconIndex(3);
    pictures.reset();
    EXPECT_EQ(icon.Icons(), nullptr);
    icon.DoOnAnimate(); // a tick that was already due does nothing
    EXPECT_EQ(icon.IconIndex(), 3);
}

TEST_F(TrayIcon, MinimisingSendsWindowToTrayAndDoubleClickBringsItBackMaximised)
{
    {
        RecordingTrayIcon icon(log, &window);
        icon.passOn = true;
        icon.SetVisible(true);
        window.setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
        EXPECT_FALSE(window.isVisible());
        icon.Mouse(WM_LBUTTONDBLCLK);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.windowState(), Qt::WindowMaximized);
        EXPECT_EQ(icon.calls, "OnMinimize DoDblClick Restore OnRestore OnDblClick");
    }
    EXPECT_FALSE(log.present) << "destruction removes the icon";
    window.setWindowState(Qt::WindowMinimized); // and the hook: nothing calls into the gone component
    EXPECT_TRUE(window.isVisible());
}

TEST_F(TrayIcon, WindowKeepsTaskBarEntryWithoutNotificationAreaOrIcon)
{
    log.available = false;
    RecordingTrayIcon icon(log, &window);
    icon.SetVisible(true);
    window.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(window.isVisible() && window.isMinimized());
    window.setWindowState(Qt::WindowNoState); // restored by the user: the hook runs Restore once
    EXPECT_EQ(icon.calls, "OnMinimize Restore");

    log.available = true;
    icon.SetVisible(false);
    icon.Minimize(); // not in the tray: minimised, but on the task bar
    EXPECT_TRUE(window.isVisible() && window.isMinimized());
    window.setWindowState(Qt::WindowNoState);
    window.setWindowState(Qt::WindowMinimized); // removed, so the hook is gone too
    EXPECT_EQ(icon.calls, "OnMinimize Restore OnMinimize");
}

} // namespace
} // namespace quorvane::test
