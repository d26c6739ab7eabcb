// How the hidden window's messages turn into Do operations, Restore and
// ShowMenu, in order, for every trigger kind.

#include "recordingtrayicon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane::test {
namespace {

using Calls = std::vector<std::string>;

struct DispatchRow {
    const char* name;
    TTrayIconMessage restoreOn;
    TTrayIconMessage popupMenuOn;
    unsigned mouseMessage;
    bool withOnClick;
    Calls expected;
};

class Dispatch : public ::testing::TestWithParam<DispatchRow> {};

TEST_P(Dispatch, RunsOperationsInOrder)
{
    const DispatchRow& row = GetParam();
    RecordingTrayIcon icon(std::make_shared<ShellLog>());
    icon.SetRestoreOn(row.restoreOn);
    icon.SetPopupMenuOn(row.popupMenuOn);
    if (row.withOnClick)
        icon.OnClick = [&icon](QObject*) { icon.calls.push_back("OnClick"); };
    icon.OnDblClick = [&icon](QObject*) { icon.calls.push_back("OnDblClick"); };
    icon.OnMouseUp = [&icon](QObject*, TMouseButton, TShiftState, int, int) { icon.calls.push_back("OnMouseUp"); };

    const auto answer = icon.DoMessage(TTrayIcon::CallbackMessage, icon.IconData().id,
                                       static_cast<std::intptr_t>(row.mouseMessage));

    EXPECT_EQ(answer, 0);
    EXPECT_EQ(icon.calls, row.expected);
}

const DispatchRow dispatchRows[] = {
    // Double click with any button.
    {"DoubleClickOnLeftDoubleClick", imDoubleClick, imNone, WM_LBUTTONDBLCLK, false,
     {"DoDblClick", "Restore", "OnDblClick"}},
    {"DoubleClickOnRightDoubleClick", imDoubleClick, imNone, WM_RBUTTONDBLCLK, false,
     {"DoDblClick", "Restore", "OnDblClick"}},
    {"DoubleClickOnMiddleDoubleClick", imDoubleClick, imNone, WM_MBUTTONDBLCLK, false,
     {"DoDblClick", "Restore", "OnDblClick"}},
    {"DoubleClickRestoresBeforeMenu", imDoubleClick, imDoubleClick, WM_LBUTTONDBLCLK, false,
     {"DoDblClick", "Restore", "ShowMenu", "OnDblClick"}},
    {"DoubleClickIgnoresSingleRelease", imDoubleClick, imNone, WM_LBUTTONUP, false, {"DoMouseUp(left)", "OnMouseUp"}},
    // Double click with one button: after the double-click event.
    {"LeftDoubleClickOnLeft", imLeftDoubleClick, imNone, WM_LBUTTONDBLCLK, false,
     {"DoDblClick", "OnDblClick", "Restore"}},
    {"LeftDoubleClickIgnoresRight", imLeftDoubleClick, imNone, WM_RBUTTONDBLCLK, false, {"DoDblClick", "OnDblClick"}},
    {"RightDoubleClickOnRight", imNone, imRightDoubleClick, WM_RBUTTONDBLCLK, false,
     {"DoDblClick", "OnDblClick", "ShowMenu"}},
    {"RightDoubleClickIgnoresLeft", imRightDoubleClick, imRightDoubleClick, WM_LBUTTONDBLCLK, false,
     {"DoDblClick", "OnDblClick"}},
    {"MiddleDoubleClickHasNoOwnTrigger", imLeftDoubleClick, imRightDoubleClick, WM_MBUTTONDBLCLK, false,
     {"DoDblClick", "OnDblClick"}},
    // Button down / up with any button.
    {"MouseDownOnLeftDown", imMouseDown, imNone, WM_LBUTTONDOWN, false, {"DoMouseDown(left)", "Restore"}},
    {"MouseDownOnRightDown", imMouseDown, imMouseDown, WM_RBUTTONDOWN, false,
     {"DoMouseDown(right)", "Restore", "ShowMenu"}},
    {"MouseDownOnMiddleDown", imMouseDown, imNone, WM_MBUTTONDOWN, false, {"DoMouseDown(middle)", "Restore"}},
    {"MouseDownNotOnUp", imMouseDown, imMouseDown, WM_RBUTTONUP, false, {"DoMouseUp(right)", "OnMouseUp"}},
    {"MouseUpOnLeftUp", imMouseUp, imNone, WM_LBUTTONUP, false, {"DoMouseUp(left)", "Restore", "OnMouseUp"}},
    {"MouseUpOnMiddleUp", imNone, imMouseUp, WM_MBUTTONUP, false, {"DoMouseUp(middle)", "ShowMenu", "OnMouseUp"}},
    {"MouseUpNotOnDown", imMouseUp, imMouseUp, WM_LBUTTONDOWN, false, {"DoMouseDown(left)"}},
    // Release of one button: after the up event.
    {"LeftClickUpOnLeftUp", imLeftClickUp, imLeftClickUp, WM_LBUTTONUP, false,
     {"DoMouseUp(left)", "OnMouseUp", "Restore", "ShowMenu"}},
    {"LeftClickUpIgnoresRightUp", imLeftClickUp, imNone, WM_RBUTTONUP, false, {"DoMouseUp(right)", "OnMouseUp"}},
    {"RightClickUpPopsMenu", imDoubleClick, imRightClickUp, WM_RBUTTONUP, false,
     {"DoMouseUp(right)", "OnMouseUp", "ShowMenu"}},
    {"RightClickUpNotOnRightDown", imRightClickUp, imRightClickUp, WM_RBUTTONDOWN, false, {"DoMouseDown(right)"}},
    {"RightClickUpIgnoresMiddleUp", imRightClickUp, imRightClickUp, WM_MBUTTONUP, false,
     {"DoMouseUp(middle)", "OnMouseUp"}},
    // Clicks: the click comes before the release.
    {"ClickWithHandler", imNone, imNone, WM_LBUTTONUP, true, {"DoClick", "OnClick", "DoMouseUp(left)", "OnMouseUp"}},
    {"ClickTriggersWithoutHandler", imClick, imClick, WM_LBUTTONUP, false,
     {"DoClick", "Restore", "ShowMenu", "DoMouseUp(left)", "OnMouseUp"}},
    {"ClickTriggersBeforeHandler", imClick, imNone, WM_LBUTTONUP, true,
     {"DoClick", "Restore", "OnClick", "DoMouseUp(left)", "OnMouseUp"}},
    {"ClickOnlyFromLeftButton", imClick, imClick, WM_RBUTTONUP, true, {"DoMouseUp(right)", "OnMouseUp"}},
    {"NoClickWithoutHandlerOrTrigger", imDoubleClick, imRightClickUp, WM_LBUTTONUP, false,
     {"DoMouseUp(left)", "OnMouseUp"}},
    // Never.
    {"NoneNeverActs", imNone, imNone, WM_LBUTTONDBLCLK, false, {"DoDblClick", "OnDblClick"}},
    // Moves and unknown messages.
    {"MoveWithoutHandlerDoesNothing", imMouseDown, imMouseUp, WM_MOUSEMOVE, false, {}},
    {"WheelIsIgnored", imMouseDown, imMouseUp, 0x020A, true, {}},
};

INSTANTIATE_TEST_SUITE_P(Triggers, Dispatch, ::testing::ValuesIn(dispatchRows),
                         [](const ::testing::TestParamInfo<DispatchRow>& info) { return std::string(info.param.name); });

TEST(DispatchEvents, MoveRunsHandlerWithPosition)
{
    RecordingTrayIcon icon(std::make_shared<ShellLog>());
    int moves = 0;
    icon.OnMouseMove = [&moves](QObject*, TShiftState shift, int, int) {
        ++moves;
        EXPECT_EQ(shift & (ssLeft | ssRight | ssMiddle), 0u);
    };
    icon.DoMessage(TTrayIcon::CallbackMessage, 0, WM_MOUSEMOVE);
    EXPECT_EQ(icon.calls, Calls({"DoMouseMove"}));
    EXPECT_EQ(moves, 1);
}

TEST(DispatchEvents, ButtonEventsCarryButtonAndItsShiftFlag)
{
    struct Row {
        const char* name;
        unsigned message;
        TMouseButton button;
        TShiftState flag;
        bool down;
    };
    const Row rows[] = {
        {"left down", WM_LBUTTONDOWN, mbLeft, ssLeft, true},  {"left up", WM_LBUTTONUP, mbLeft, ssLeft, false},
        {"right down", WM_RBUTTONDOWN, mbRight, ssRight, true}, {"right up", WM_RBUTTONUP, mbRight, ssRight, false},
        {"middle down", WM_MBUTTONDOWN, mbMiddle, ssMiddle, true},
        {"middle up", WM_MBUTTONUP, mbMiddle, ssMiddle, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingTrayIcon icon(std::make_shared<ShellLog>());
        int seen = 0;
        auto check = [&](bool down) {
            return [&, down](QObject* sender, TMouseButton button, TShiftState shift, int, int) {
                ++seen;
                EXPECT_EQ(sender, &icon);
                EXPECT_EQ(down, row.down);
                EXPECT_EQ(button, row.button);
                EXPECT_EQ(shift & (ssLeft | ssRight | ssMiddle), row.flag);
            };
        };
        icon.OnMouseDown = check(true);
        icon.OnMouseUp = check(false);
        icon.DoMessage(TTrayIcon::CallbackMessage, 0, static_cast<std::intptr_t>(row.message));
        EXPECT_EQ(seen, 1);
    }
}

TEST(DispatchMessages, OnlyTheCallbackMessageCarriesMouseActions)
{
    RecordingTrayIcon icon(std::make_shared<ShellLog>());
    EXPECT_EQ(icon.DoMessage(TTrayIcon::CallbackMessage - 1, 0, WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(icon.DoMessage(TTrayIcon::CallbackMessage + 1, 0, WM_LBUTTONDBLCLK), 0);
    EXPECT_TRUE(icon.calls.empty());
}

TEST(DispatchMessages, SessionQueryMayEndAndKeepsIcon)
{
    auto log = std::make_shared<ShellLog>();
    RecordingTrayIcon icon(log);
    icon.SetVisible(true);
    EXPECT_EQ(icon.DoMessage(WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_TRUE(log->present);
    EXPECT_EQ(log->count("delete"), 0);
}

TEST(DispatchMessages, SessionEndRemovesIcon)
{
    auto log = std::make_shared<ShellLog>();
    RecordingTrayIcon icon(log);
    icon.SetVisible(true);
    EXPECT_EQ(icon.DoMessage(WM_ENDSESSION, 1, 0), 0);
    EXPECT_FALSE(log->present);
    EXPECT_EQ(log->last().id, icon.IconData().id);
}

TEST(DispatchMessages, CancelledSessionEndKeepsIcon)
{
    auto log = std::make_shared<ShellLog>();
    RecordingTrayIcon icon(log);
    icon.SetVisible(true);
    icon.DoMessage(WM_ENDSESSION, 0, 0);
    EXPECT_TRUE(log->present);
}

TEST(DispatchMessages, ShellCallbackReachesComponentThroughItsWindow)
{
    RecordingTrayIcon icon(std::make_shared<ShellLog>());
    ASSERT_NE(icon.GetHandle(), nullptr);
    EXPECT_EQ(icon.IconData().window, icon.GetHandle());
    icon.GetHandle()->Send(icon.IconData().callbackMessage, icon.IconData().id, WM_LBUTTONDBLCLK);
    EXPECT_EQ(icon.calls, Calls({"DoDblClick", "Restore"}));
}

} // namespace
} // namespace quorvane::test
