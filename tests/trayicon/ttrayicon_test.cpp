// Properties, the icon record, animation, references that go away,
// refusals of the notification area and moving the window into the tray.

#include "recordingtrayicon.h"

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane::test {
namespace {

QIcon colouredIcon(Qt::GlobalColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// Five distinct pictures, like the lamp list.
std::unique_ptr<TImageList> fivePictures()
{
    auto list = std::make_unique<TImageList>();
    for (Qt::GlobalColor colour : {Qt::white, Qt::green, Qt::red, Qt::blue, Qt::yellow})
        list->Add(colouredIcon(colour));
    return list;
}

bool sameIcon(const QIcon& a, const QIcon& b)
{
    return a.isNull() == b.isNull() && (a.isNull() || a.cacheKey() == b.cacheKey());
}

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QApplication::setWindowIcon(colouredIcon(Qt::magenta));
        log = std::make_shared<ShellLog>();
    }
    void TearDown() override { QApplication::setWindowIcon(QIcon()); }

    std::shared_ptr<ShellLog> log;
};

TEST_F(TrayIconTest, ConstructionPreparesRecordWithoutTouchingTray)
{
    RecordingTrayIcon icon(log);
    const NotifyIconData& data = icon.IconData();
    EXPECT_EQ(data.size, 488u);
    EXPECT_EQ(data.flags, NotifyIconData::NIF_MESSAGE | NotifyIconData::NIF_ICON);
    EXPECT_EQ(data.callbackMessage, 1025u);
    EXPECT_EQ(data.id, reinterpret_cast<std::uintptr_t>(static_cast<TTrayIcon*>(&icon)));
    EXPECT_TRUE(data.tip.empty());
    EXPECT_TRUE(sameIcon(data.icon, QApplication::windowIcon()));
    EXPECT_EQ(log->count("add"), 0);
    EXPECT_EQ(log->count("modify"), 0); // not visible yet
}

TEST_F(TrayIconTest, VisibleAddsAndRemovesIconAndTracksHide)
{
    RecordingTrayIcon icon(log);
    icon.SetVisible(true);
    EXPECT_TRUE(log->present);
    EXPECT_TRUE(icon.Hide());
    EXPECT_NO_THROW(icon.SetVisible(true)); // already there: not added twice
    icon.SetVisible(false);
    EXPECT_FALSE(log->present);
    EXPECT_FALSE(icon.Hide());
    EXPECT_EQ(log->count("add"), 1);
    EXPECT_EQ(log->count("delete"), 1);
}

TEST_F(TrayIconTest, HidingAfterSessionEndIsNoRefusal)
{
    RecordingTrayIcon icon(log);
    icon.SetVisible(true);
    icon.EndSession();
    ASSERT_FALSE(log->present);
    EXPECT_NO_THROW(icon.SetVisible(false));
    EXPECT_FALSE(icon.Hide());
}

TEST_F(TrayIconTest, RefusedAddRaisesAndLaterAddRetries)
{
    log->refuseAdd = true;
    RecordingTrayIcon icon(log);
    try {
        icon.SetVisible(true);
        FAIL() << "no error";
    } catch (const EOutOfResources& error) {
        EXPECT_STREQ(error.what(), "Cannot Create System Shell Notification Icon");
    }
    log->refuseAdd = false;
    icon.SetVisible(true);
    EXPECT_TRUE(log->present);
}

TEST_F(TrayIconTest, RefusedRemoveRaisesStoresFalseAndKeepsHook)
{
    QWidget window;
    window.show();
    RecordingTrayIcon icon(log, &window);
    int minimised = 0;
    icon.OnMinimize = [&minimised](QObject*) { ++minimised; };
    icon.SetVisible(true);
    log->refuseDelete = true;
    try {
        icon.SetVisible(false);
        FAIL() << "no error";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Cannot Remove System Shell Notification Icon");
    }
    EXPECT_FALSE(icon.Visible());
    window.setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(minimised, 1);
    log->refuseDelete = false;
    icon.SetVisible(false); // the icon is still there, so it is removed now
    EXPECT_FALSE(log->present);
}

struct HintRow {
    const char* name;
    std::string before;
    std::string text;
    std::string expectedHint;
    bool expectTipFlag;
    int expectedModifies;
};

class HintRule : public TrayIconTest, public ::testing::WithParamInterface<HintRow> {};

TEST_P(HintRule, StoresOnlyShortChangedTexts)
{
    const HintRow& row = GetParam();
    RecordingTrayIcon icon(log);
    icon.SetVisible(true);
    icon.SetHint(row.before);
    const int modifiesBefore = log->count("modify");

    icon.SetHint(row.text);

    EXPECT_EQ(icon.Hint(), row.expectedHint);
    EXPECT_EQ(icon.IconData().tip, row.expectedHint);
    EXPECT_EQ((icon.IconData().flags & NotifyIconData::NIF_TIP) != 0, row.expectTipFlag);
    EXPECT_EQ(log->count("modify") - modifiesBefore, row.expectedModifies);
    if (row.expectedModifies > 0) {
        EXPECT_EQ(log->last().tip, row.expectedHint);
    }
}

const HintRow hintRows[] = {
    {"SetsTip", "", "Quorvane 2.0", "Quorvane 2.0", true, 1},
    {"SixtyThreeCharactersAccepted", "", std::string(63, 'x'), std::string(63, 'x'), true, 1},
    {"SixtyFourCharactersIgnored", "Quorvane 2.0", std::string(64, 'x'), "Quorvane 2.0", true, 0},
    {"LongTextIgnored", "", std::string(200, 'x'), "", false, 0},
    {"SameTextDoesNothing", "Quorvane 2.0", "Quorvane 2.0", "Quorvane 2.0", true, 0},
    {"EmptyTextRemovesTip", "Quorvane 2.0", "", "", false, 1},
    {"ChangedTextReplacesTip", "Quorvane 2.0", "Quorvane--EURUSD", "Quorvane--EURUSD", true, 1},
};

INSTANTIATE_TEST_SUITE_P(Texts, HintRule, ::testing::ValuesIn(hintRows),
                         [](const ::testing::TestParamInfo<HintRow>& info) { return std::string(info.param.name); });

TEST_F(TrayIconTest, EmptiedHintLeavesTipOutWhileIconChangesStillReachTray)
{
    auto pictures = fivePictures();
    RecordingTrayIcon icon(log);
    icon.SetIcons(pictures.get());
    icon.SetVisible(true);
    icon.SetHint("Quorvane 2.0");
    icon.SetHint("");
    icon.SetIconIndex(3);
    EXPECT_EQ(log->calls.back().op, "modify");
    EXPECT_EQ(log->last().flags & NotifyIconData::NIF_TIP, 0u);
    EXPECT_TRUE(sameIcon(log->last().icon, pictures->Icon(3)));
}

TEST_F(TrayIconTest, IconIndexOutsideIconsShowsNoPictureUntilValid)
{
    auto pictures = fivePictures();
    RecordingTrayIcon icon(log);
    icon.SetIcons(pictures.get());
    icon.SetVisible(true);
    for (int outside : {5, -1, 1000}) {
        SCOPED_TRACE(outside);
        icon.SetIconIndex(outside);
        EXPECT_TRUE(icon.ShownIcon().isNull());
        EXPECT_TRUE(log->last().icon.isNull());
    }
    icon.SetIconIndex(4);
    EXPECT_TRUE(sameIcon(log->last().icon, pictures->Icon(4)));
}

TEST_F(TrayIconTest, LoadedShowsChosenPictureAndStartsAnimation)
{
    auto pictures = fivePictures();
    RecordingTrayIcon icon(log);
    icon.SetVisible(true);
    icon.SetIcons(pictures.get());
    icon.SetIconIndex(1);
    icon.SetAnimate(false);
    icon.Loaded();
    EXPECT_TRUE(sameIcon(log->last().icon, pictures->Icon(1)));
    EXPECT_FALSE(icon.AnimateTimer()->isActive());

    icon.SetAnimate(true);
    icon.Loaded();
    EXPECT_TRUE(icon.AnimateTimer()->isActive());
}

TEST_F(TrayIconTest, WithoutIconsAnimateStaysFalseAndApplicationIconShows)
{
    RecordingTrayIcon icon(log);
    icon.SetVisible(true);
    icon.SetAnimate(true);
    EXPECT_FALSE(icon.GetAnimate());
    EXPECT_FALSE(icon.AnimateTimer()->isActive());
    icon.SetIconIndex(2);
    icon.Loaded();
    EXPECT_FALSE(icon.GetAnimate());
    EXPECT_FALSE(icon.AnimateTimer()->isActive());
    EXPECT_TRUE(sameIcon(log->last().icon, QApplication::windowIcon()));
}

TEST_F(TrayIconTest, SetDefaultIconBringsApplicationIconBack)
{
    auto pictures = fivePictures();
    RecordingTrayIcon icon(log);
    icon.SetIcons(pictures.get());
    icon.SetVisible(true);
    icon.SetIconIndex(2);
    icon.SetDefaultIcon();
    EXPECT_TRUE(sameIcon(log->last().icon, QApplication::windowIcon()));
    EXPECT_EQ(icon.IconIndex(), 2);
}

TEST_F(TrayIconTest, AnimationStepsThroughPicturesAndWraps)
{
    auto pictures = fivePictures();
    RecordingTrayIcon icon(log);
    icon.SetVisible(true);
    icon.SetIcons(pictures.get());
    icon.SetAnimateInterval(1);
    std::vector<int> shown;
    bool picturesMatch = true;
    QObject probe;
    // Watches each tick after the component has handled it.
    QObject::connect(icon.AnimateTimer(), &QTimer::timeout, &probe, [&] {
        shown.push_back(icon.IconIndex());
        picturesMatch = picturesMatch && sameIcon(log->last().icon, pictures->Icon(icon.IconIndex()));
    });
    icon.SetAnimate(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() >= 6; }, 5000));
    icon.SetAnimate(false);
    EXPECT_EQ(std::vector<int>(shown.begin(), shown.begin() + 6), std::vector<int>({1, 2, 3, 4, 0, 1}));
    EXPECT_TRUE(picturesMatch);
}

TEST_F(TrayIconTest, ZeroIntervalStopsStepsUntilRealIntervalSet)
{
    auto pictures = fivePictures();
    RecordingTrayIcon icon(log);
    icon.SetIcons(pictures.get());
    icon.SetAnimate(true);
    EXPECT_EQ(icon.AnimateTimer()->interval(), 1000);
    icon.SetAnimateInterval(0);
    EXPECT_FALSE(icon.AnimateTimer()->isActive());
    icon.SetAnimateInterval(-5);
    EXPECT_FALSE(icon.AnimateTimer()->isActive());
    icon.SetAnimateInterval(250);
    EXPECT_TRUE(icon.AnimateTimer()->isActive());
    icon.SetAnimate(false);
    icon.SetAnimateInterval(300);
    EXPECT_FALSE(icon.AnimateTimer()->isActive());
}

TEST_F(TrayIconTest, AnimationStepFromOutsideIndexStartsOver)
{
    auto pictures = fivePictures();
    RecordingTrayIcon icon(log);
    icon.SetIcons(pictures.get());
    icon.SetIconIndex(9);
    icon.DoOnAnimate();
    EXPECT_EQ(icon.IconIndex(), 0);
}

TEST_F(TrayIconTest, DestroyedImageListIsForgottenAndAnimationSurvivesIt)
{
    auto pictures = fivePictures();
    RecordingTrayIcon icon(log);
    icon.SetIcons(pictures.get());
    icon.SetAnimate(true);
    pictures.reset();
    EXPECT_EQ(icon.Icons(), nullptr);
    icon.DoOnAnimate(); // a tick that was already due
    EXPECT_EQ(icon.IconIndex(), 0);
}

TEST_F(TrayIconTest, DestroyedMenuIsForgottenAndOthersKept)
{
    auto pictures = fivePictures();
    auto menu = std::make_unique<QMenu>();
    RecordingTrayIcon icon(log);
    icon.SetIcons(pictures.get());
    icon.SetPopupMenu(menu.get());
    QObject unrelated;
    icon.Notification(&unrelated, opRemove);
    icon.Notification(pictures.get(), opInsert);
    EXPECT_EQ(icon.PopupMenu(), menu.get());
    EXPECT_EQ(icon.Icons(), pictures.get());
    menu.reset();
    EXPECT_EQ(icon.PopupMenu(), nullptr);
    EXPECT_EQ(icon.Icons(), pictures.get());
}

TEST_F(TrayIconTest, ReplacedReferenceNoLongerWatched)
{
    auto first = fivePictures();
    auto second = fivePictures();
    RecordingTrayIcon icon(log);
    icon.SetIcons(first.get());
    icon.SetIcons(second.get());
    first.reset();
    EXPECT_EQ(icon.Icons(), second.get());
}

TEST_F(TrayIconTest, MenuPopsUpOnItsTrigger)
{
    QMenu menu;
    menu.addAction("&Restore");
    menu.addAction("&Exit");
    RecordingTrayIcon icon(log);
    icon.passOn = true;
    icon.SetPopupMenu(&menu);
    icon.SetPopupMenuOn(imRightClickUp);
    icon.DoMessage(TTrayIcon::CallbackMessage, 0, WM_RBUTTONUP);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

TEST_F(TrayIconTest, DestructionRemovesIconAndHook)
{
    QWidget window;
    window.show();
    {
        RecordingTrayIcon icon(log, &window);
        icon.SetVisible(true);
    }
    EXPECT_FALSE(log->present);
    window.setWindowState(Qt::WindowMinimized); // no hook left to call into
    EXPECT_TRUE(window.isVisible());
}

class MinimizeTest : public TrayIconTest {
protected:
    void SetUp() override
    {
        TrayIconTest::SetUp();
        window.show();
    }
    QWidget window;
};

TEST_F(MinimizeTest, MinimizingWindowSendsItToTray)
{
    RecordingTrayIcon icon(log, &window);
    icon.passOn = true;
    int minimised = 0;
    icon.OnMinimize = [&minimised](QObject*) { ++minimised; };
    icon.SetVisible(true);
    window.setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(minimised, 1);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MinimizeTest, DoubleClickBringsWindowBack)
{
    RecordingTrayIcon icon(log, &window);
    icon.passOn = true;
    int restored = 0;
    icon.OnRestore = [&restored](QObject*) { ++restored; };
    icon.SetVisible(true);
    icon.Minimize();
    ASSERT_FALSE(window.isVisible());
    icon.DoMessage(TTrayIcon::CallbackMessage, icon.IconData().id, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
    EXPECT_EQ(restored, 1);
}

TEST_F(MinimizeTest, RestoreKeepsMaximisedWindowMaximised)
{
    RecordingTrayIcon icon(log, &window);
    icon.passOn = true;
    icon.SetVisible(true);
    window.setWindowState(Qt::WindowMaximized);
    icon.Minimize();
    icon.Restore();
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
}

TEST_F(MinimizeTest, RestoringWindowByItselfRunsRestore)
{
    log->available = false;
    RecordingTrayIcon icon(log, &window);
    int restored = 0;
    icon.OnRestore = [&restored](QObject*) { ++restored; };
    icon.SetVisible(true);
    window.setWindowState(Qt::WindowMinimized);
    window.setWindowState(Qt::WindowNoState);
    EXPECT_EQ(icon.calls, std::vector<std::string>({"Restore"}));
}

TEST_F(MinimizeTest, WithoutNotificationAreaWindowKeepsTaskBarEntry)
{
    log->available = false;
    RecordingTrayIcon icon(log, &window);
    int minimised = 0;
    icon.OnMinimize = [&minimised](QObject*) { ++minimised; };
    icon.SetVisible(true);
    window.setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(minimised, 1);
    EXPECT_TRUE(window.isVisible());
    icon.Minimize();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);
}

TEST_F(MinimizeTest, IconNotInTrayKeepsWindowReachable)
{
    RecordingTrayIcon icon(log, &window);
    icon.Minimize();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);
}

TEST_F(MinimizeTest, HiddenIconNoLongerWatchesWindow)
{
    RecordingTrayIcon icon(log, &window);
    int minimised = 0;
    icon.OnMinimize = [&minimised](QObject*) { ++minimised; };
    icon.SetVisible(true);
    icon.SetVisible(false);
    window.setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(minimised, 0);
    EXPECT_TRUE(window.isVisible());
}

} // namespace
} // namespace quorvane::test
