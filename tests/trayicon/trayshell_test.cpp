// The notification area on Qt, and the image list.

#include "timagelist.h"
#include "trayshell.h"

#include <QPixmap>

#include <gtest/gtest.h>

#include <vector>

namespace quorvane::test {
namespace {

TEST(MouseMessagesFor, EachReportedActionBecomesItsButtonMessages)
{
    struct Row {
        const char* name;
        QSystemTrayIcon::ActivationReason reason;
        std::vector<unsigned> expected;
    };
    const Row rows[] = {
        {"trigger is a left click", QSystemTrayIcon::Trigger, {WM_LBUTTONDOWN, WM_LBUTTONUP}},
        {"double click is a left double click", QSystemTrayIcon::DoubleClick, {WM_LBUTTONDBLCLK}},
        {"context is a right click", QSystemTrayIcon::Context, {WM_RBUTTONDOWN, WM_RBUTTONUP}},
        {"middle click is a middle click", QSystemTrayIcon::MiddleClick, {WM_MBUTTONDOWN, WM_MBUTTONUP}},
        {"unknown sends nothing", QSystemTrayIcon::Unknown, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(MouseMessagesFor(row.reason), row.expected);
    }
}

NotifyIconData record(std::uintptr_t id, const TrayMessageWindow* window)
{
    NotifyIconData data;
    data.id = id;
    data.window = window;
    data.flags = NotifyIconData::NIF_MESSAGE | NotifyIconData::NIF_ICON | NotifyIconData::NIF_TIP;
    data.callbackMessage = 1025;
    data.tip = "Quorvane 2.0";
    return data;
}

TEST(SystemTrayShell, KnowsWhichIconsItHolds)
{
    auto shell = MakeSystemTrayShell();
    TrayMessageWindow window(nullptr);
    const NotifyIconData first = record(1, &window);
    const NotifyIconData second = record(2, &window);

    EXPECT_FALSE(shell->Modify(first));
    EXPECT_FALSE(shell->Delete(first));
    EXPECT_TRUE(shell->Add(first));
    EXPECT_FALSE(shell->Add(first)) << "the same icon twice";
    EXPECT_TRUE(shell->Add(second));
    EXPECT_TRUE(shell->Modify(first));
    EXPECT_TRUE(shell->Delete(first));
    EXPECT_FALSE(shell->Delete(first));
    EXPECT_TRUE(shell->Modify(second));
}

TEST(SystemTrayShell, IconWithoutPictureIsAccepted)
{
    auto shell = MakeSystemTrayShell();
    TrayMessageWindow window(nullptr);
    NotifyIconData data = record(7, &window);
    data.icon = QIcon();
    EXPECT_TRUE(shell->Add(data));
    EXPECT_TRUE(shell->Modify(data));
}

struct Delivery {
    unsigned msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    bool operator==(const Delivery& other) const
    {
        return msg == other.msg && wParam == other.wParam && lParam == other.lParam;
    }
};

TEST(SystemTrayShell, ActionReachesRecordWindowAsCallbackMessages)
{
    SystemTrayShell shell;
    std::vector<Delivery> seen;
    TrayMessageWindow window([&seen](unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) -> std::intptr_t {
        seen.push_back({msg, wParam, lParam});
        return 0;
    });
    ASSERT_TRUE(shell.Add(record(5, &window)));
    shell.Activate(5, QSystemTrayIcon::Context);
    shell.Activate(6, QSystemTrayIcon::Context); // no such icon
    EXPECT_EQ(seen, std::vector<Delivery>({{1025, 5, WM_RBUTTONDOWN}, {1025, 5, WM_RBUTTONUP}}));
}

TEST(SystemTrayShell, HandlerRemovingIconStopsTheAction)
{
    SystemTrayShell shell;
    int delivered = 0;
    const NotifyIconData* data = nullptr;
    TrayMessageWindow window([&](unsigned, std::uintptr_t, std::intptr_t) -> std::intptr_t {
        ++delivered;
        shell.Delete(*data);
        return 0;
    });
    const NotifyIconData icon = record(5, &window);
    data = &icon;
    ASSERT_TRUE(shell.Add(icon));
    shell.Activate(5, QSystemTrayIcon::Trigger);
    EXPECT_EQ(delivered, 1);
}

TEST(SystemTrayShell, HandlerFreeingShellStopsTheAction)
{
    auto shell = std::make_unique<SystemTrayShell>();
    SystemTrayShell* raw = shell.get();
    int delivered = 0;
    TrayMessageWindow window([&](unsigned, std::uintptr_t, std::intptr_t) -> std::intptr_t {
        ++delivered;
        shell.reset();
        return 0;
    });
    ASSERT_TRUE(shell->Add(record(5, &window)));
    raw->Activate(5, QSystemTrayIcon::MiddleClick);
    EXPECT_EQ(delivered, 1);
}

TEST(TImageList, IndexOutsideGivesNullIcon)
{
    TImageList list;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::green);
    list.Add(QIcon(pixmap));
    list.Add(QIcon(pixmap));
    for (int index : {-1, 2, 100}) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(list.Icon(index).isNull());
    }
    EXPECT_FALSE(list.Icon(1).isNull());
}

} // namespace
} // namespace quorvane::test
