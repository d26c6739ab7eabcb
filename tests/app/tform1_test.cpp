// The main window offscreen: poll cycle, settings and logs across a run,
// display, bridge handlers, link labels, a real SOAP endpoint on loopback,
// and the window's small helpers.

#include "acceptingtray.h"
#include "qtapp.h"
#include "scratchfolder.h"

#include "alarmlog.h"
#include "errorlog.h"
#include "errorreport.h"
#include "exceptions.h"
#include "formservices.h"
#include "inifile.h"
#include "loopbackserver.h"
#include "terminalfolder.h"
#include "terminationwatch.h"
#include "tform1.h"
#include "ttrayicon.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <deque>
#include <optional>

namespace quorvane::test {
namespace {

/// What the stand-ins answer and what the window asked of them.
struct Outside {
    std::deque<std::string> replies; ///< next service replies; "!text" throws Exception("text")
    std::string fallback;            ///< the reply once `replies` is used up
    int calls = 0, liveClients = 0;
    std::optional<std::string> browseAnswer;
    std::vector<std::pair<std::string, std::string>> browsed, opened; ///< (caption, initial), (verb, target)
    std::vector<std::string> sounds, messages, reports;
};

class StandIn : public HelloWorldPortType, public FolderBrowser, public ShellOpener, public SoundPlayer {
public:
    explicit StandIn(Outside* o) : m_o(o) {}
    std::string Signal(int format, const std::string& text) override
    {
        EXPECT_EQ(format, 0);
        EXPECT_EQ(text, "");
        ++m_o->calls;
        const std::string reply = m_o->replies.empty() ? m_o->fallback : m_o->replies.front();
        if (!m_o->replies.empty())
            m_o->replies.pop_front();
        if (!reply.empty() && reply[0] == '!')
            throw Exception(reply.substr(1));
        return reply;
    }
    std::optional<std::string> Browse(const std::string& caption, const std::string& initial) override
    {
        m_o->browsed.emplace_back(caption, initial);
        return m_o->browseAnswer;
    }
    void Open(const std::string& verb, const std::string& target) override { m_o->opened.emplace_back(verb, target); }
    void PlayAsync(const std::string& name) override { m_o->sounds.push_back(name); }

private:
    Outside* m_o;
};

/// Three instruments, each record as the service writes it.
const std::string kThreeRecords = "(Symbol:EURUSDm,Price:1.0850,Time:2026.12.08 10:00,Signal:0.1875)"
                                         "(Symbol:GBPUSD,Price:1.2701,Time:2026.12.08 10:00,Signal:-0.25)"
                                         "(Symbol:USDJPY,Price:151.20,Time:2026.12.08 10:00,Signal:0)";

class WindowTest : public ::testing::Test {
protected:
    ScratchFolder dir;
    Outside fake;
    QDateTime now{QDate(2026, 12, 8), QTime(10, 15, 30)};
    std::string serviceUrl; ///< when set, polls go to this endpoint instead of the stand-in
    std::unique_ptr<TForm1> form;

    std::string ini() const { return dir / "quorvane.INI"; }

    /// Builds the window; FormCreate (and so the first poll) runs inside.
    TForm1& open()
    {
        Outside* o = &fake;
        FormServices s;
        s.executablePath = dir / "quorvane";
        s.signalService = [o, url = serviceUrl]() -> std::shared_ptr<HelloWorldPortType> {
            if (!url.empty())
                return GetSignalService(false, url);
            ++o->liveClients;
            return {new StandIn(o), [o](HelloWorldPortType* p) { --o->liveClients; delete p; }};
        };
        s.clock = [this] { return now; };
        s.folderBrowser = std::make_unique<StandIn>(o);
        s.shellOpener = std::make_unique<StandIn>(o);
        s.soundPlayer = std::make_unique<StandIn>(o);
        s.fileSystem = MakeRealFileSystem();
        s.trayShell = std::make_unique<AcceptingTray>();
        s.showMessage = [o](const std::string& m) { o->messages.push_back(m); };
        s.reportError = [o](const std::string& m) { o->reports.push_back(m); };
        form = std::make_unique<TForm1>(std::move(s));
        return *form;
    }
    /// Destroys the window; FormDestroy runs.
    void close() { form.reset(); }

    template <typename T = QWidget>
    T* control(const std::string& name) const
    {
        T* w = form->findChild<T*>(QString::fromStdString(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QComboBox* combo(const char* name) const { return control<QComboBox>(name); }
    QString text(const char* name) const
    {
        if (auto* label = form->findChild<QLabel*>(QString::fromLatin1(name)))
            return label->text();
        return control<QLineEdit>(name)->text();
    }
    QString status() const { return control<QStatusBar>("StatusBar1")->currentMessage(); }
    /// Which picture of ImageList1 the lamp ImageN shows (-1: none yet).
    int picture(int n) const
    {
        auto* label = control<QLabel>("Image" + std::to_string(n));
        return label->pixmap().isNull() ? -1 : label->property("imageIndex").toInt();
    }
    /// Long lamps 1..8, short lamps 1..8, arrow, tray picture: e.g. "11100000 00000000 4 1".
    std::string lamps() const
    {
        std::string s;
        for (int i = 1; i <= 16; ++i)
            s += std::to_string(picture(i)) + (i == 8 ? " " : "");
        return s + " " + std::to_string(picture(17)) + " " + std::to_string(form->trayIcon()->IconIndex());
    }
    std::string errorLog() const { return readFile(dir / "error_log.txt"); }
    static bool exists(const std::string& path) { return std::filesystem::exists(path); }
};

std::string record(const std::string& symbol, const std::string& signal)
{
    return "(Symbol:" + symbol + ",Price:1.5,Time:2026.12.08 09:59,Signal:" + signal + ")";
}

TEST_F(WindowTest, FirstPollRunsInsideCreateThenEachTimerTickRunsAGuardedPoll)
{
    fake.replies = {kThreeRecords, "!down"};
    open();
    EXPECT_EQ(fake.calls, 1);
    EXPECT_EQ(fake.liveClients, 0) << "a client lives for one call only";
    EXPECT_EQ(status(), "Connected!");
    EXPECT_FALSE(exists(dir / "error_log.txt"));
    auto* timer = form->findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 15000);
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(fake.calls, 2);
    EXPECT_EQ(status(), "Disconnect!");
    EXPECT_TRUE(fake.reports.empty());
}

TEST_F(WindowTest, FailedOrBadFirstPollSetsTheStatusAndLogsMessageAndReply)
{
    const struct {
        const char* reply; // "!text": the call fails with "text"
        const char* status;
        const char* logLine; // before ", " + local time; empty: no log line at all
    } rows[] = {
        {"!Connection refused", "Disconnect!", "Connection refused, "},
        {"", "Data Error!", ""},
        {"no records", "Data Error!", "List index out of bounds (-1), no records"},
        {"(Symbol:EURUSD,Signal:abc)", "Data Error!",
         "'abc' is not a valid floating point value, (Symbol:EURUSD,Signal:abc)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reply);
        std::filesystem::remove(dir / "error_log.txt");
        fake.fallback = row.reply;
        open();
        EXPECT_EQ(status(), row.status);
        const std::string line = *row.logLine ? row.logLine + (", " + LogTimestamp(now) + "\n") : "";
        EXPECT_EQ(errorLog(), line);
        form->Timer1Timer();
        EXPECT_EQ(errorLog(), line + line);
        close();
    }
}

TEST_F(WindowTest, UnwritableErrorLogAtTheFirstPollIsReportedAndPollingGoesOn)
{
    // A folder where the log should be: the failed first poll cannot log, the
    // error leaves FormCreate before the poll interval is set, and the timer
    // keeps the layout's pace instead of stopping for good.
    std::filesystem::create_directory(dir / "error_log.txt");
    fake.fallback = "!Connection refused";
    open();
    ASSERT_EQ(fake.reports.size(), 1u);
    EXPECT_EQ(fake.reports[0], "Cannot open file " + (dir / "error_log.txt"));
    auto* timer = form->findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 6000);
}

TEST_F(WindowTest, SelectorFollowsTheUsersPickAndSurvivesFailedAndEmptyPolls)
{
    writeFile(ini(), "[Form]\nsymbel=2\nMaxS=50\n");
    const std::string changed = kThreeRecords.substr(0, kThreeRecords.rfind('(')) + record("AUDUSD", "0");
    fake.replies = {kThreeRecords, kThreeRecords, changed, "!timeout", ""};
    open();
    QComboBox* box = combo("ComboBox3");
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(0), "EURUSD") << "cut to six characters";
    EXPECT_EQ(box->currentIndex(), 0) << "the first poll replaces the restored pick";
    const auto pick = [box](int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    };
    pick(1); // a user pick refreshes at once
    EXPECT_EQ(text("Label2"), "GBPUSD");
    EXPECT_EQ(form->trayIcon()->Hint(), "Quorvane--GBPUSD");
    EXPECT_EQ(lamps(), "00000000 22220000 3 2");
    form->Timer1Timer();
    EXPECT_EQ(box->currentIndex(), 1) << "kept while the symbols stay the same";
    EXPECT_EQ(text("Label2"), "GBPUSD");
    form->Timer1Timer();
    EXPECT_EQ(box->itemText(2), "AUDUSD");
    EXPECT_EQ(box->currentIndex(), 0) << "one short name changed: back to the first";
    EXPECT_EQ(text("Label2"), "EURUSD");

    form->Timer1Timer(); // a failed call keeps the reply, the records and the selector
    EXPECT_EQ(status(), "Disconnect!");
    EXPECT_EQ(form->replyText(), changed);
    EXPECT_EQ(form->records().size(), 3u);
    const std::string log = "timeout, " + changed + ", " + LogTimestamp(now) + "\n";
    EXPECT_EQ(errorLog(), log);
    form->Timer1Timer(); // an empty reply drops the records but not the selector or display
    EXPECT_EQ(status(), "Data Error!");
    EXPECT_EQ(errorLog(), log);
    EXPECT_TRUE(form->records().empty());
    EXPECT_EQ(box->count(), 3);
    EXPECT_EQ(text("Label2"), "EURUSD");
    EXPECT_TRUE(fake.reports.empty());
    pick(1); // no record behind it now
    EXPECT_EQ(fake.reports, std::vector<std::string>{"List index out of bounds (1)"});
}

TEST_F(WindowTest, SignalFilesPerShortNameAfterAMissingFolderAndOnlyEurusdRemovedAtExit)
{
    const std::string files = dir / "mt4/experts/files/";
    std::filesystem::create_directories(dir / "mt4/experts");
    writeFile(ini(), "[Form]\nmt4-path=" + (dir / "mt4") + "\n");
    fake.fallback = kThreeRecords;
    open();
    EXPECT_EQ(status(), "Data Error!");
    EXPECT_EQ(errorLog().rfind("Cannot create file " + files + "EURUSD, ", 0), 0u) << errorLog();
    EXPECT_EQ(combo("ComboBox3")->itemText(0), "1") << "the selector is not synced after the failure";

    std::filesystem::create_directories(files);
    form->Timer1Timer();
    EXPECT_EQ(status(), "Connected!");
    EXPECT_EQ(readFile(files + "EURUSD"), kThreeRecords.substr(0, kThreeRecords.find(')') + 1));
    EXPECT_EQ(readFile(files + "GBPUSD"), "(Symbol:GBPUSD,Price:1.2701,Time:2026.12.08 10:00,Signal:-0.25)");
    close();
    EXPECT_FALSE(exists(files + "EURUSD"));
    EXPECT_TRUE(exists(files + "GBPUSD") && exists(files + "USDJPY"));
}

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
                                 + "\r\n";
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

TEST_F(WindowTest, EightBitShortNamesKeepTheUsersPickAcrossPolls)
{
    const struct {
        const char* name;
        std::string symbol, shortName;
    } rows[] = {
        {"Latin1", "\xc4UR\xdcSD", "\xc4UR\xdcSD"},
        {"Utf8CharacterCutAtSix", "EURUS\xc3\xa9", "EURUS\xc3"},
        {"LoneContinuationBytes", "\x80\x81\x82\x83", "\x80\x81\x82\x83"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string reply = record("GBPUSD", "0.1") + record(row.symbol, "-0.2") + record("USDJPY", "0");
        fake.fallback = reply;
        open();
        QComboBox* box = combo("ComboBox3");
        ASSERT_EQ(box->count(), 3);
        box->setCurrentIndex(1);
        emit box->activated(1);
        EXPECT_EQ(form->trayIcon()->Hint(), "Quorvane--" + row.shortName);
        form->Timer1Timer();
        form->Timer1Timer();
        EXPECT_EQ(box->currentIndex(), 1) << "the same symbols must not count as a change";
        EXPECT_EQ(form->trayIcon()->Hint(), "Quorvane--" + row.shortName);
        fake.fallback = record("GBPUSD", "0.1") + record(row.shortName + "X", "-0.2") + record("EURUSD", "0");
        form->Timer1Timer();
        EXPECT_EQ(box->currentIndex(), 0) << "a real change still selects the first symbol";
        EXPECT_TRUE(fake.reports.empty());
        close();
    }
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

TEST_F(WindowTest, FixedSizeWindowWithHiddenAlarmGroupClosesFromTheTrayMenu)
{
    open();
    EXPECT_EQ(form->size(), QSize(776, 566));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(control("GroupBox3")->isVisibleTo(form.get()));
    QSignalSpy closed(form.get(), &TForm1::closed);
    form->show();
    form->popupMenu()->actions().at(1)->trigger(); // "&Exit"
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(WindowTest, LampsArrowTrayAndLabelsFollowTheSignal)
{
    writeFile(ini(), "[Form]\nMaxS=50\n");
    fake.replies = {record("USDJPY", "0"), record("USDJPY", "-0"), record("EURUSDx", "0.1875"), record("EURUSD", "0"),
                    record("GBP", "-0.25"), record("EURUSD", "1")};
    open();
    const auto colour = [this] { return control("Label10")->palette().color(QPalette::WindowText); };
    EXPECT_EQ(lamps(), "00000000 00000000 -1 0") << "no arrow before the first signal that is not zero";
    EXPECT_EQ(colour(), form->palette().color(QPalette::WindowText));
    form->Timer1Timer();
    EXPECT_EQ(lamps(), "00000000 00000000 -1 0") << "minus zero behaves like zero";
    form->Timer1Timer();
    EXPECT_EQ(lamps(), "11100000 00000000 4 1");
    EXPECT_EQ(form->trayIcon()->Hint(), "Quorvane--EURUSD");
    EXPECT_EQ(colour(), QColor(0, 128, 0));
    EXPECT_EQ(text("Label2") + text("Label4") + text("Label8") + text("Label10"), "EURUSD1.52026.12.08 09:590.1875");
    form->Timer1Timer();
    EXPECT_EQ(lamps(), "00000000 00000000 4 0") << "zero keeps the arrow";
    form->Timer1Timer();
    EXPECT_EQ(lamps(), "00000000 22220000 3 2");
    EXPECT_EQ(colour(), QColor(255, 0, 0));
    EXPECT_EQ(text("Label2"), "GBP");
    form->Timer1Timer();
    EXPECT_EQ(lamps(), "11111111 00000000 4 1");
}

TEST_F(WindowTest, TrackBarChangesEdit1AtOnceAndTheLampsAtTheNextPoll)
{
    writeFile(ini(), "[Form]\nMaxS=0\n");
    fake.fallback = record("EURUSD", "0.25");
    open();
    EXPECT_EQ(control<QSlider>("TrackBar1")->value(), 1);
    EXPECT_EQ(text("Edit1"), "0.01");
    EXPECT_EQ(lamps(), "11111111 00000000 4 1");
    control<QSlider>("TrackBar1")->setValue(50);
    EXPECT_EQ(text("Edit1"), "0.5");
    EXPECT_EQ(lamps(), "11111111 00000000 4 1");
    form->Timer1Timer();
    EXPECT_EQ(lamps(), "11110000 00000000 4 1");
}

TEST_F(WindowTest, FolderChoiceRefusedAcceptedAndCancelled)
{
    const std::string terminal = dir / "mt4";
    writeFile(dir / "Quorvane.ex4", "EA");
    std::filesystem::create_directories(terminal);
    open();
    fake.browseAnswer = terminal; // no experts/ yet
    control<QPushButton>("Button1")->click();
    EXPECT_EQ(text("Edit2"), "");
    EXPECT_EQ(fake.messages, std::vector<std::string>{kNotMt4Message});
    EXPECT_FALSE(exists(terminal + "/experts"));

    std::filesystem::create_directories(terminal + "/experts/files");
    control<QPushButton>("Button1")->click();
    EXPECT_EQ(text("Edit2").toStdString(), terminal);
    EXPECT_EQ(readFile(terminal + "/experts/Quorvane.ex4"), "EA");
    EXPECT_EQ(fake.messages.size(), 1u);

    writeFile(terminal + "/experts/files/EURUSD", "old");
    fake.browseAnswer.reset();
    control<QPushButton>("Button1")->click();
    ASSERT_EQ(fake.browsed.size(), 3u);
    EXPECT_EQ(fake.browsed[2], std::make_pair(std::string(kBrowseCaption), terminal))
        << "the existing folder is preselected";
    EXPECT_EQ(text("Edit2"), "");
    EXPECT_FALSE(exists(terminal + "/experts/files/EURUSD"));
}

TEST_F(WindowTest, PollWritesIntoEveryLayoutResolvedAtStartAndAtSelect)
{
    const std::string data = "pfx/drive_c/users/u/AppData/Roaming/MetaQuotes/Terminal/0123456789ABCDEF0123456789ABCDEF";
    const struct {
        const char* name;
        std::vector<std::string> folders; // created below the scratch folder
        std::string chosen, signalFolder;
    } rows[] = {
        {"Legacy", {"mt4/experts/files"}, "mt4", "mt4/experts/files"},
        {"Portable", {"mt4/MQL4/Experts", "mt4/MQL4/Files"}, "mt4", "mt4/MQL4/Files"},
        {"WineInstallation", {"pfx/drive_c/MT4", data + "/MQL4/Experts", data + "/MQL4/Files"}, "pfx/drive_c/MT4",
         data + "/MQL4/Files"},
    };
    fake.fallback = kThreeRecords;
    writeFile(dir / "Quorvane.mq4", "EA");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(dir / "mt4");
        std::filesystem::remove_all(dir / "pfx");
        for (const std::string& folder : row.folders)
            std::filesystem::create_directories(dir / folder);
        writeFile(dir / (data + "/origin.txt"), "C:\\MT4\r\n");
        const std::string files = dir / row.signalFolder;
        writeFile(ini(), "[Form]\nmt4-path=" + (dir / row.chosen) + "\n");
        open();
        EXPECT_EQ(status(), "Connected!");
        EXPECT_EQ(readFile(files + "/GBPUSD"), "(Symbol:GBPUSD,Price:1.2701,Time:2026.12.08 10:00,Signal:-0.25)");
        EXPECT_EQ(control("Edit2")->toolTip().toStdString(), "Signal files go to:\n" + files);
        std::filesystem::remove(files + "/GBPUSD");
        fake.browseAnswer = dir / row.chosen;
        control<QPushButton>("Button1")->click();
        EXPECT_EQ(text("Edit2").toStdString(), dir / row.chosen) << "the stored folder stays the one chosen";
        EXPECT_EQ(readFile(files + "/../" + (row.signalFolder.find("MQL4") == std::string::npos ? "" : "Experts/")
                           + "Quorvane.mq4"),
                  "EA");
        form->Timer1Timer();
        EXPECT_TRUE(exists(files + "/GBPUSD"));
        close();
        EXPECT_FALSE(exists(files + "/EURUSD"));
        EXPECT_EQ(TIniFile(ini()).ReadString("Form", "mt4-path", "?"), dir / row.chosen);
    }
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(WindowTest, InstallationWithoutDataFolderIsExplainedAndNotStored)
{
    std::filesystem::create_directories(dir / "pfx/drive_c/MT4");
    writeFile(dir / "pfx/drive_c/MT4/terminal.exe", "x");
    writeFile(dir / "Quorvane.mq4", "EA");
    open();
    fake.browseAnswer = dir / "pfx/drive_c/MT4";
    control<QPushButton>("Button1")->click();
    EXPECT_EQ(text("Edit2"), "");
    EXPECT_EQ(control("Edit2")->toolTip(), "");
    EXPECT_EQ(fake.messages, std::vector<std::string>{kNoDataFolderMessage});
}

TEST_F(WindowTest, LinkLabelsAndCallButtonGoToTheShellAndSoundButtonPlays)
{
    writeFile(ini(), "[Form]\nmt4-path=/opt/mt4\nsound=0\n"); // CheckBox2 off is not consulted
    open();
    for (const char* name : {"Label18", "Label21", "Label23", "Label25"}) {
        EXPECT_EQ(control(name)->cursor().shape(), Qt::PointingHandCursor) << name;
        QTest::mouseClick(control(name), Qt::LeftButton, {}, QPoint(2, 2));
    }
    control<QPushButton>("Button2")->click();
    control<QPushButton>("Button5")->click();
    EXPECT_EQ(fake.opened, (std::vector<std::pair<std::string, std::string>>{
                               {"open", "https://www.metaquotes.net/en/metatrader4"},
                               {"open", "https://broker.quorvane.example/open-account"},
                               {"Open", "https://quorvane.example/"},
                               {"open", "mailto:support@quorvane.example"},
                               {"open", "/opt/mt4/terminal.exe"}}));
    EXPECT_EQ(fake.sounds, std::vector<std::string>{"open.wav"});
}

TEST_F(WindowTest, FirstRunInAnEmptyFolderAgainstALoopbackServiceThenAFault)
{
    const auto body = [](const char* name) { return readFile(std::string(QUORVANE_TEST_DATA) + "/soap/" + name); };
    const std::string good = body("php_soapserver_reply.xml"), fault = body("fault.xml");
    LoopbackServer server([&](const HttpRequest&, int n) {
        return n == 0 ? httpReply(200, "OK", good) : httpReply(500, "Internal Server Error", fault);
    });
    serviceUrl = server.url();
    open();
    EXPECT_EQ(status(), "Connected!");
    EXPECT_EQ(combo("ComboBox3")->count(), 8);
    EXPECT_EQ(text("Label2"), "EURUSD");
    form->Timer1Timer();
    EXPECT_EQ(status(), "Disconnect!");
    EXPECT_NE(errorLog().find("No signal today"), std::string::npos) << errorLog();
    close();
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(readFile(ini()), "[Form]\r\nsound=0\r\nhint=1\r\nOpenS=2\r\nCloseS=1\r\nMaxS=25\r\nmt4-path=\r\n");
    EXPECT_TRUE(exists(dir / "log.txt"));
    EXPECT_EQ(readFile(dir / "log.txt"), "");
    EXPECT_TRUE(fake.reports.empty());
}

/// The window under a real comma-decimal locale (ctest generates de_DE.UTF-8 and
/// runs these cases under it); anywhere else they skip.
class CommaLocaleWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        // QApplication has already set the C library's locale from the environment.
        if (std::string(std::localeconv()->decimal_point) != ","
            || QLocale::system().decimalPoint() != QStringLiteral(","))
            GTEST_SKIP() << "needs a comma-decimal locale, such as a generated de_DE.UTF-8";
    }
};

TEST_F(CommaLocaleWindowTest, PollReadsThePointSignalWhileEdit1KeepsTheComma)
{
    fake.fallback = kThreeRecords; // the service writes "." whatever the reader's locale
    open();                        // no settings file: MaxS 25
    EXPECT_EQ(text("Edit1"), "0,25");
    EXPECT_EQ(status(), "Connected!");
    EXPECT_FALSE(exists(dir / "error_log.txt")) << errorLog();
    EXPECT_EQ(text("Label10"), "0.1875") << "shown as received";
    EXPECT_EQ(lamps(), "11111100 00000000 4 1");

    control<QSlider>("TrackBar1")->setValue(50);
    EXPECT_EQ(text("Edit1"), "0,5");
    form->Timer1Timer();
    EXPECT_EQ(lamps(), "11100000 00000000 4 1") << "Edit1's comma text still reads";
    QComboBox* box = combo("ComboBox3");
    box->setCurrentIndex(1);
    emit box->activated(1);
    EXPECT_EQ(lamps(), "00000000 22220000 3 2");
    EXPECT_TRUE(fake.reports.empty());
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
        EXPECT_EQ(NormaliseLineBreaks(in), out);
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

TEST(Guard, ReportsTheMessageAndSwallowsTheError)
{
    std::vector<std::string> seen;
    const ErrorReporter report = [&](const std::string& m) { seen.push_back(m); };
    for (const auto& fn : std::vector<std::function<void()>>{[] { throw EListError(7); }, [] { throw 42; }, [] {}})
        runGuarded(report, fn);
    EXPECT_EQ(seen, (std::vector<std::string>{"List index out of bounds (7)", ""})); // no message: an empty one
}

TEST(TerminationWatch, SigtermAndSigintArriveAsASignalOnTheEventLoop)
{
    TerminationWatch watch;
    QSignalSpy spy(&watch, &TerminationWatch::terminationRequested);
    for (const int sig : {SIGTERM, SIGINT}) {
        ::raise(sig);
        ASSERT_TRUE(spy.wait(5000));
        EXPECT_EQ(spy.takeFirst().at(0).toInt(), sig);
    }
}

// During start-up no event loop runs while the first poll waits, and a
// message box waits in a loop of its own: neither may swallow a request.
TEST(TerminationWatch, RequestWithoutAnEventLoopIsSeenAndAWaitingMessageBoxIsClosed)
{
    TerminationWatch watch;
    QSignalSpy spy(&watch, &TerminationWatch::terminationRequested);
    EXPECT_FALSE(watch.requested());
    ::raise(SIGHUP);
    EXPECT_TRUE(watch.requested());
    EXPECT_EQ(spy.count(), 1);

    QMessageBox box(QMessageBox::Critical, QStringLiteral("Quorvane"), QStringLiteral("start-up error"),
                    QMessageBox::Ok);
    QTimer::singleShot(0, &box, [] { ::raise(SIGTERM); });
    bool stuck = false;
    QTimer::singleShot(10000, &box, [&] { stuck = true; box.done(0); });
    box.exec();
    EXPECT_FALSE(stuck) << "the box stayed open after the request";
    EXPECT_EQ(spy.count(), 2);
}

} // namespace
} // namespace quorvane::test
