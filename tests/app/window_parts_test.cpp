// The small helpers of the main window: line-break normalising, the alarm
// log file, the error guard, the hint switch and the termination watch.

#include "scratch.h"

#include "alarmlog.h"
#include "errorreport.h"
#include "exceptions.h"
#include "hintswitch.h"
#include "terminationwatch.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace quorvane::test {
namespace {

struct BreakRow {
    const char* name;
    std::string in;
    std::string out;
};

class LineBreaks : public ::testing::TestWithParam<BreakRow> {};

TEST_P(LineBreaks, BecomeCrLf)
{
    EXPECT_EQ(NormaliseLineBreaks(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LineBreaks,
    ::testing::Values(BreakRow{"Empty", "", ""}, BreakRow{"LoneLf", "a\nb", "a\r\nb"},
                      BreakRow{"LoneCr", "a\rb", "a\r\nb"}, BreakRow{"CrLfStays", "a\r\nb\r\n", "a\r\nb\r\n"},
                      BreakRow{"LfCrIsTwoBreaks", "a\n\rb", "a\r\n\r\nb"},
                      BreakRow{"DoubleCrBeforeLf", "a\r\r\nb", "a\r\n\r\nb"},
                      BreakRow{"LastLineWithoutBreak", "x\ny", "x\r\ny"},
                      BreakRow{"OnlyBreaks", "\n\n", "\r\n\r\n"},
                      BreakRow{"NulKept", std::string("a\0b\n", 4), std::string("a\0b\r\n", 5)}),
    [](const ::testing::TestParamInfo<BreakRow>& info) { return std::string(info.param.name); });

TEST(AlarmLog, MissingFileLoadsEmptyAndSaveCreatesIt)
{
    ScratchFolder dir;
    AlarmLog log(dir / "log.txt");
    log.Load();
    EXPECT_EQ(log.Text(), "");
    log.Save();
    EXPECT_TRUE(std::filesystem::exists(dir / "log.txt"));
    EXPECT_EQ(readFile(dir / "log.txt"), "");
}

TEST(AlarmLog, SaveIntoMissingFolderThrowsWithThePath)
{
    ScratchFolder dir;
    AlarmLog log(dir / "gone/log.txt");
    log.Load();
    try {
        log.Save();
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + (dir / "gone/log.txt"));
    }
}

TEST(AlarmLog, BinaryBytesSurviveTheRoundTrip)
{
    ScratchFolder dir;
    const std::string bytes("\xff\xfe\x00z\n", 5);
    writeFile(dir / "log.txt", bytes);
    AlarmLog log(dir / "log.txt");
    log.Load();
    log.Save();
    EXPECT_EQ(readFile(dir / "log.txt"), std::string("\xff\xfe\x00z\r\n", 6));
}

TEST(Guard, ReportsTheMessageAndSwallowsTheError)
{
    std::vector<std::string> seen;
    const ErrorReporter report = [&](const std::string& m) { seen.push_back(m); };
    runGuarded(report, [] { throw EListError(7); });
    runGuarded(report, [] { throw 42; });
    runGuarded(report, [] {});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "List index out of bounds (7)");
    EXPECT_EQ(seen[1], "") << "an error without a message shows an empty one";
}

class HintSwitchTest : public ::testing::Test {
protected:
    QWidget window;
    QLabel* inside = new QLabel(QStringLiteral("x"), &window);
    QLabel* exempt = new QLabel(QStringLiteral("y"), &window);
    QWidget outsider;
    HintSwitch* hints = new HintSwitch(&window);

    /// True when a tooltip request for `w` got past the switch to the widget.
    static bool delivered(QWidget* w)
    {
        struct Probe : QObject {
            bool seen = false;
            bool eventFilter(QObject*, QEvent* e) override
            {
                seen = seen || e->type() == QEvent::ToolTip;
                return true;
            }
        } probe;
        // Widget filters run after application filters: the probe sees the
        // request only when the switch let it through.
        w->installEventFilter(&probe);
        QHelpEvent event(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
        QCoreApplication::sendEvent(w, &event);
        w->removeEventFilter(&probe);
        return probe.seen;
    }
};

TEST_F(HintSwitchTest, OffSwallowsTheWindowsTooltipsButNotTheExemptOnes)
{
    hints->exempt(exempt);
    EXPECT_FALSE(hints->isEnabled());
    EXPECT_FALSE(delivered(inside));
    EXPECT_TRUE(delivered(exempt));
    EXPECT_TRUE(delivered(&outsider)) << "other windows are none of the switch's business";
    hints->setEnabled(true);
    EXPECT_TRUE(delivered(inside));
}

TEST(TerminationWatch, SigtermArrivesAsASignalOnTheEventLoop)
{
    TerminationWatch watch;
    QSignalSpy spy(&watch, &TerminationWatch::terminationRequested);
    ::raise(SIGTERM);
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(spy.at(0).at(0).toInt(), SIGTERM);
    ::raise(SIGINT);
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(spy.at(1).at(0).toInt(), SIGINT);
}

} // namespace
} // namespace quorvane::test
