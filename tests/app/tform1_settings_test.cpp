// SPDX-License-Identifier: MIT
// The main window across a run: settings read into the controls and written
// back, 8-bit texts that survive, the hint switch, and the alarm log.

#include "tests/support/windowfixture.h"

#include "app/alarmlog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QPlainTextEdit>

namespace quorvane::test {
namespace {

TEST_F(WindowTest, SettingsPassTheControlRulesAndAreWrittenBack)
{
    const struct {
        const char *stored, *key, *written; // one [Form] line as found; the key's value at exit
    } rows[] = {
        {"MaxS=0", "MaxS", "1"},
        {"MaxS=500", "MaxS", "100"},
        {"OpenS=20", "OpenS", "-1"},       // outside the list
        {"CloseS=-3", "CloseS", "-1"},
        {"symbel=2", "symbel", "2"},       // read, never written
        {"hint=yes", "hint", "1"},         // no integer: the default
        {"hint=2", "hint", "1"},
        {"hint=0x0", "hint", "0"},
        {"sound=5", "sound", "1"},
        {"mt4-path=/nowhere/mt4", "mt4-path", "/nowhere/mt4"},
        {"notify-lamps=8", "notify-lamps", "8"},
        {"notify-lamps=9", "notify-lamps", "-1"}, // outside the list: off
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored);
        writeFile(ini(), std::string("[Form]\n") + row.stored + "\n");
        open();
        close();
        EXPECT_EQ(TIniFile(ini()).ReadString("Form", row.key, "?"), row.written);
    }
}

// Text is 8-bit: bytes that are no UTF-8 (Latin-1, a UTF-8 character cut in
// two) must come back exactly as they went in.
TEST_F(WindowTest, EightBitTerminalFolderSurvivesARunAndGetsItsSignalFiles)
{
    const std::string terminal = dir / "M\xe9taTrader \xc3";
    std::filesystem::create_directories(terminal + "/experts/files");
    const std::string settings = "[Form]\r\nsound=0\r\nhint=1\r\nOpenS=2\r\nCloseS=1\r\nMaxS=25\r\nmt4-path=" + terminal
                                 + "\r\ncommon-files=0\r\nnotify-lamps=0\r\n";
    writeFile(ini(), settings);
    writeFile(terminal + "/experts/files/EURUSD", "old");
    fake.fallback = kThreeRecords;
    open();
    EXPECT_EQ(status().toStdString(), "Connected!") << errorLog();
    EXPECT_EQ(readFile(terminal + "/experts/files/GBPUSD"),
              "(Symbol:GBPUSD,Price:1.2701,Time:2026.12.08 10:00,Signal:-0.25)");
    close();
    EXPECT_EQ(readFile(ini()), settings);
    EXPECT_FALSE(exists(terminal + "/experts/files/EURUSD")) << "removed at exit from the same folder";
}

/// True when a tooltip request for `w` gets past the hint switch to the widget.
bool tooltipDelivered(QWidget* w)
{
    struct Probe : QObject {
        bool seen = false;
        bool eventFilter(QObject*, QEvent* e) override { return seen = seen || e->type() == QEvent::ToolTip; }
    } probe;
    // Widget filters run after the switch's application filter.
    w->installEventFilter(&probe);
    QHelpEvent event(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
    QCoreApplication::sendEvent(w, &event);
    w->removeEventFilter(&probe);
    return probe.seen;
}

TEST_F(WindowTest, HintsFollowTheSettingAndCheckBox1AlwaysShowsItsOwn)
{
    writeFile(ini(), "[Form]\nhint=0\n");
    open();
    QWidget outsider;
    EXPECT_FALSE(tooltipDelivered(control("Label5")));
    EXPECT_TRUE(tooltipDelivered(control("CheckBox1")));
    EXPECT_TRUE(tooltipDelivered(&outsider)) << "other windows are none of the switch's business";
    control<QCheckBox>("CheckBox1")->setChecked(true);
    EXPECT_TRUE(tooltipDelivered(control("Label5")));
}

TEST_F(WindowTest, LogComesBackWithCrLf)
{
    writeFile(dir / "log.txt", "first\nsecond\r\nthird\rlast");
    open();
    EXPECT_EQ(control<QPlainTextEdit>("Memo1")->toPlainText(), "first\nsecond\nthird\nlast");
    close();
    EXPECT_EQ(readFile(dir / "log.txt"), "first\r\nsecond\r\nthird\r\nlast");
}

TEST_F(WindowTest, UnreadableLogIsNeverOverwritten)
{
    // A folder in the log's place stands for a log that exists but cannot be read.
    std::filesystem::create_directory(dir / "log.txt");
    writeFile(dir / "log.txt/keep", "x");
    open();
    close();
    EXPECT_TRUE(fake.reports.empty());
    EXPECT_EQ(readFile(dir / "log.txt/keep"), "x");
    EXPECT_TRUE(exists(ini())) << "the settings are still written";
}

TEST_F(WindowTest, LogThatCannotBeWrittenEndsFormDestroyWithAReport)
{
    open();
    std::filesystem::remove_all(dir.path()); // the folder goes away during the run
    close();
    EXPECT_EQ(fake.reports, std::vector<std::string>{"Cannot create file " + (dir / "log.txt")});
    EXPECT_FALSE(exists(ini())) << "saving ends at the failing step";
}

TEST(LineBreaks, BecomeCrLf)
{
    const std::pair<std::string, std::string> rows[] = {
        {"", ""}, {"a\nb", "a\r\nb"}, {"a\rb", "a\r\nb"}, {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\n\rb", "a\r\n\r\nb"}, // LF CR is two breaks
        {"a\r\r\nb", "a\r\n\r\nb"}, {std::string("a\0b\n", 4), std::string("a\0b\r\n", 5)},
    };
    for (const auto& [in, out] : rows) {
        SCOPED_TRACE(::testing::PrintToString(in));
        EXPECT_EQ(normaliseLineBreaks(in), out);
    }
}

TEST(AlarmLog, MissingFileLoadsEmptyAndBinaryBytesSurviveTheRoundTrip)
{
    ScratchFolder dir;
    AlarmLog log(dir / "log.txt");
    log.Load();
    EXPECT_EQ(log.Text(), "");
    writeFile(dir / "log.txt", std::string("\xff\xfe\x00z\n", 5));
    log.Load();
    log.Save();
    EXPECT_EQ(readFile(dir / "log.txt"), std::string("\xff\xfe\x00z\r\n", 6));
}

TEST_F(WindowTest, PerUserFoldersHoldSettingsAndLogsAndTheAboutPageNamesThem)
{
    std::filesystem::create_directories(dir / "config");
    std::filesystem::create_directories(dir / "state");
    locations.settingsFile = dir / "config/quorvane.INI";
    locations.alarmLogFile = dir / "config/log.txt";
    locations.errorLogFolder = dir / "state/";
    writeFile(locations.settingsFile, "[Form]\r\nMaxS=40\r\n");
    writeFile(locations.alarmLogFile, "alarm\n");
    fake.replies = {"!down"};
    fake.fallback = kThreeRecords;
    open();
    EXPECT_EQ(control<QSlider>("TrackBar1")->value(), 40) << "settings read from the per-user file";
    const QString about = control<QLabel>("FileLocations")->text();
    EXPECT_TRUE(about.contains(QString::fromStdString(dir / "config/quorvane.INI"))) << about.toStdString();
    EXPECT_TRUE(about.contains(QString::fromStdString(dir / "state/error_log.txt"))) << about.toStdString();
    close();
    EXPECT_NE(readFile(dir / "state/error_log.txt").find("down"), std::string::npos);
    EXPECT_NE(readFile(locations.settingsFile).find("MaxS=40"), std::string::npos);
    EXPECT_EQ(readFile(locations.alarmLogFile), "alarm\r\n");
    for (const char* beside : {"quorvane.INI", "log.txt", "error_log.txt"})
        EXPECT_FALSE(exists(dir / beside)) << beside << " written beside the executable";
}

} // namespace
} // namespace quorvane::test
