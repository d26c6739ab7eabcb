// SPDX-License-Identifier: MIT
// The notification area on Qt: which messages an action becomes, the icons it
// holds, and delivery to the record's window.

#include "trayicon/trayshell.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvane::test {
namespace {

TEST(MouseMessagesFor, EachReportedActionBecomesItsButtonMessages)
{
    using Q = QSystemTrayIcon;
    EXPECT_EQ(mouseMessagesFor(Q::Trigger), std::vector<unsigned>({WM_LBUTTONDOWN, WM_LBUTTONUP}));
    EXPECT_EQ(mouseMessagesFor(Q::DoubleClick), std::vector<unsigned>({WM_LBUTTONDBLCLK}));
    EXPECT_EQ(mouseMessagesFor(Q::Context), std::vector<unsigned>({WM_RBUTTONDOWN, WM_RBUTTONUP}));
    EXPECT_EQ(mouseMessagesFor(Q::MiddleClick), std::vector<unsigned>({WM_MBUTTONDOWN, WM_MBUTTONUP}));
    EXPECT_TRUE(mouseMessagesFor(Q::Unknown).empty());
}

// An icon record without a picture, which the shell accepts all the same.
NotifyIconData record(std::uintptr_t id, const TrayMessageWindow* window)
{
    NotifyIconData data;
    data.id = id;
    data.window = window;
    data.flags = NotifyIconData::NIF_MESSAGE | NotifyIconData::NIF_ICON;
    data.callbackMessage = 1025;
    return data;
}

TEST(SystemTrayShell, KnowsWhichIconsItHoldsAndDeliversToTheirWindows)
{
    SystemTrayShell shell;
    std::vector<std::intptr_t> seen;
    TrayMessageWindow window([&seen](unsigned msg, std::uintptr_t id, std::intptr_t mouse) -> std::intptr_t {
        seen.push_back(msg == 1025 && id == 1 ? mouse : -1);
        return 0;
    });
    const NotifyIconData first = record(1, &window), second = record(2, &window);
    EXPECT_FALSE(shell.Modify(first) || shell.Delete(first));
    EXPECT_TRUE(shell.Add(first) && shell.Add(second));
    EXPECT_FALSE(shell.Add(first)) << "the same icon twice";
    EXPECT_TRUE(shell.Modify(first));
    shell.Activate(1, QSystemTrayIcon::Context);
    shell.Activate(3, QSystemTrayIcon::Context); // no such icon
    EXPECT_EQ(seen, std::vector<std::intptr_t>({WM_RBUTTONDOWN, WM_RBUTTONUP}));
    EXPECT_TRUE(shell.Delete(first));
    EXPECT_FALSE(shell.Delete(first));
    EXPECT_TRUE(shell.Modify(second));
}

TEST(SystemTrayShell, HandlerRemovingIconOrFreeingShellStopsTheAction)
{
    for (bool freeShell : {false, true}) {
        SCOPED_TRACE(freeShell ? "frees the shell" : "removes the icon");
        auto shell = std::make_unique<SystemTrayShell>();
        SystemTrayShell* raw = shell.get();
        int delivered = 0;
        TrayMessageWindow window([&](unsigned, std::uintptr_t id, std::intptr_t) -> std::intptr_t {
            ++delivered;
            if (freeShell)
                shell.reset();
            else
                shell->Delete(record(id, nullptr));
            return 0;
        });
        ASSERT_TRUE(shell->Add(record(5, &window)));
        raw->Activate(5, QSystemTrayIcon::Trigger); // two messages; the second never comes
        EXPECT_EQ(delivered, 1);
    }
}

} // namespace
} // namespace quorvane::test
