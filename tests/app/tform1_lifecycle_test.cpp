// Start and end of a run: settings into the controls and back, the alarm log,
// the hint switch, the tray menu.

#include "windowfixture.h"

#include "hintswitch.h"
#include "ttrayicon.h"

#include <QCheckBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSlider>

#include <filesystem>

namespace quorvane::test {
namespace {

using LifecycleTest = WindowTest;

TEST_F(LifecycleTest, FirstRunInEmptyFolderCreatesSettingsInOrderAndEmptyLog)
{
    script->fallback = kThreeRecords;
    open();
    EXPECT_EQ(text("Edit1"), "0.25");
    EXPECT_EQ(combo("ComboBox1")->currentText(), "2");
    EXPECT_EQ(combo("ComboBox2")->currentText(), "0");
    close();
    EXPECT_EQ(readFile(ini()), "[Form]\r\nsound=0\r\nhint=1\r\nOpenS=2\r\nCloseS=1\r\nMaxS=25\r\nmt4-path=\r\n");
    EXPECT_TRUE(exists(dir / "log.txt"));
    EXPECT_EQ(readFile(dir / "log.txt"), "");
    EXPECT_FALSE(exists(dir / "error_log.txt"));
    EXPECT_TRUE(reports.empty());
}

struct SettingRow {
    const char* name;
    const char* stored;   // the [Form] section as found
    const char* expected; // the [Form] keys written at exit
};

class SettingsRoundTrip : public WindowTest, public ::testing::WithParamInterface<SettingRow> {};

TEST_P(SettingsRoundTrip, ControlRulesApplyAndTheResultIsWrittenBack)
{
    writeFile(ini(), std::string("[Form]\n") + GetParam().stored);
    open();
    close();
    EXPECT_EQ(readFile(ini()), std::string("[Form]\n") + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsRoundTrip,
    ::testing::Values(
        SettingRow{"MaxSZeroClampsToOne", "MaxS=0\n",
                   "MaxS=1\nsound=0\nhint=1\nOpenS=2\nCloseS=1\nmt4-path=\n"},
        SettingRow{"MaxSAboveRangeClampsToHundred", "MaxS=500\n",
                   "MaxS=100\nsound=0\nhint=1\nOpenS=2\nCloseS=1\nmt4-path=\n"},
        SettingRow{"OpenSOutsideListWritesMinusOne", "OpenS=20\n",
                   "OpenS=-1\nsound=0\nhint=1\nCloseS=1\nMaxS=25\nmt4-path=\n"},
        SettingRow{"SymbelIsReadButNeverWritten", "symbel=2\n",
                   "symbel=2\nsound=0\nhint=1\nOpenS=2\nCloseS=1\nMaxS=25\nmt4-path=\n"},
        SettingRow{"HintYesIsNoIntegerAndDefaultsToTrue", "hint=yes\n",
                   "hint=1\nsound=0\nOpenS=2\nCloseS=1\nMaxS=25\nmt4-path=\n"},
        SettingRow{"HexZeroHintIsFalse", "hint=0x0\n", "hint=0\nsound=0\nOpenS=2\nCloseS=1\nMaxS=25\nmt4-path=\n"},
        SettingRow{"SoundAndFolderTravelUnchanged", "sound=5\nmt4-path=/nowhere/mt4\n",
                   "sound=1\nmt4-path=/nowhere/mt4\nhint=1\nOpenS=2\nCloseS=1\nMaxS=25\n"}),
    [](const ::testing::TestParamInfo<SettingRow>& info) { return std::string(info.param.name); });

TEST_F(LifecycleTest, TrackBarPositionShowsInEdit1AtOnce)
{
    writeFile(ini(), "[Form]\nMaxS=0\n");
    open();
    EXPECT_EQ(control<QSlider>("TrackBar1")->value(), 1);
    EXPECT_EQ(text("Edit1"), "0.01");
    control<QSlider>("TrackBar1")->setValue(50);
    EXPECT_EQ(text("Edit1"), "0.5");
}

TEST_F(LifecycleTest, HintsFollowTheSettingAndCheckBox1AlwaysShowsItsOwn)
{
    open();
    auto* box = control<QCheckBox>("CheckBox1");
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(form->hints().isEnabled()) << "checking the box at start switches hints on";
    close();

    writeFile(ini(), "[Form]\nhint=0\n");
    open();
    box = control<QCheckBox>("CheckBox1");
    EXPECT_FALSE(form->hints().isEnabled());
    EXPECT_FALSE(form->hints().allows(control<QLabel>("Label5")));
    EXPECT_TRUE(form->hints().allows(box));
    box->setChecked(true);
    EXPECT_TRUE(form->hints().allows(control<QLabel>("Label5")));
}

TEST_F(LifecycleTest, LogWithLoneLineFeedsComesBackWithCrLf)
{
    writeFile(dir / "log.txt", "first\nsecond\r\nthird\rlast");
    open();
    EXPECT_EQ(control<QPlainTextEdit>("Memo1")->toPlainText(), "first\nsecond\nthird\nlast");
    close();
    EXPECT_EQ(readFile(dir / "log.txt"), "first\r\nsecond\r\nthird\r\nlast");
}

TEST_F(LifecycleTest, UnreadableLogIsNeverOverwritten)
{
    // A folder in the log's place stands for a log that exists but cannot be read.
    std::filesystem::create_directory(dir / "log.txt");
    writeFile(dir / "log.txt/keep", "x");
    open();
    close();
    EXPECT_TRUE(reports.empty()) << (reports.empty() ? "" : reports[0]);
    EXPECT_EQ(readFile(dir / "log.txt/keep"), "x");
    EXPECT_TRUE(exists(ini())) << "the settings are still written";
}

TEST_F(LifecycleTest, LogThatCannotBeWrittenEndsFormDestroyWithAReport)
{
    writeFile(dir / "log.txt", "a\n");
    open();
    // The folder goes away during the run: the log cannot be written back.
    std::filesystem::remove_all(dir.path());
    close();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "Cannot create file " + (dir / "log.txt"));
    EXPECT_FALSE(exists(ini())) << "saving ends at the failing step";
}

TEST_F(LifecycleTest, ExitMenuClosesTheWindowAndRestoreAsksTheTray)
{
    open();
    QSignalSpy closed(form.get(), &TForm1::closed);
    form->show();
    form->popupMenu()->actions().at(1)->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->popupMenu()->actions().at(0)->text(), "&Restore");
}

TEST_F(LifecycleTest, TrayIconIsConfiguredAsTheLayoutSays)
{
    script->fallback = "!down";
    open();
    TTrayIcon* tray = form->trayIcon();
    EXPECT_TRUE(tray->Visible());
    EXPECT_EQ(tray->Hint(), "Quorvane 2.0");
    EXPECT_EQ(tray->IconIndex(), 1);
    EXPECT_EQ(tray->RestoreOn(), imDoubleClick);
    EXPECT_EQ(tray->PopupMenuOn(), imRightClickUp);
    EXPECT_EQ(tray->PopupMenu(), form->popupMenu());
    ASSERT_NE(tray->Icons(), nullptr);
    EXPECT_EQ(tray->Icons()->Count(), 5);
}

TEST_F(LifecycleTest, WindowIsFixedSizeWithoutMaximiseBox)
{
    open();
    EXPECT_EQ(form->size(), QSize(776, 566));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form->windowTitle(), "Quorvane 2.0  ---Long-term, steady earnings! ");
    EXPECT_FALSE(control<QWidget>("GroupBox3")->isVisibleTo(form.get()));
}

} // namespace
} // namespace quorvane::test
