// What the window shows for the selected record, and the handlers of the
// bridge group and the link labels.

#include "windowfixture.h"

#include "terminalfolder.h"
#include "ttrayicon.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>

#include <filesystem>

namespace quorvane::test {
namespace {

std::string record(const std::string& symbol, const std::string& signal)
{
    return "(Symbol:" + symbol + ",Price:1.5,Time:2026.12.08 09:59,Signal:" + signal + ")";
}

class DisplayTest : public WindowTest {
protected:
    void SetUp() override { writeFile(ini(), "[Form]\nMaxS=50\n"); }
    /// Pictures of long lamps 1..8 then short lamps 1..8 as one text, e.g. "11100000 00000000".
    std::string lamps() const
    {
        std::string s;
        for (int i = 1; i <= 16; ++i) {
            s += std::to_string(picture(i));
            if (i == 8)
                s += ' ';
        }
        return s;
    }
    QColor signalColour() const { return control<QLabel>("Label10")->palette().color(QPalette::WindowText); }
};

TEST_F(DisplayTest, NoArrowBeforeTheFirstNonZeroSignal)
{
    script->replies = {record("USDJPY", "0"), record("USDJPY", "-0"), record("USDJPY", "0.0625"), record("USDJPY", "0")};
    open();
    EXPECT_EQ(picture(17), -1);
    EXPECT_EQ(lamps(), "00000000 00000000");
    EXPECT_EQ(form->trayIcon()->IconIndex(), 0);
    EXPECT_EQ(signalColour(), form->palette().color(QPalette::WindowText));
    form->Timer1Timer(); // minus zero behaves like zero
    EXPECT_EQ(picture(17), -1);
    form->Timer1Timer();
    EXPECT_EQ(picture(17), 4);
    form->Timer1Timer(); // zero keeps the arrow
    EXPECT_EQ(picture(17), 4);
    EXPECT_EQ(form->trayIcon()->IconIndex(), 0);
}

TEST_F(DisplayTest, LongSignalLightsGreenLampsUpArrowAndGreenTray)
{
    script->fallback = record("EURUSDx", "0.1875");
    open();
    EXPECT_EQ(lamps(), "11100000 00000000");
    EXPECT_EQ(picture(17), 4);
    EXPECT_EQ(form->trayIcon()->IconIndex(), 1);
    EXPECT_EQ(form->trayIcon()->Hint(), "Quorvane--EURUSD");
    EXPECT_EQ(signalColour(), QColor(0, 128, 0));
    EXPECT_EQ(text("Label2"), "EURUSD");
    EXPECT_EQ(text("Label4"), "1.5");
    EXPECT_EQ(text("Label8"), "2026.12.08 09:59");
    EXPECT_EQ(text("Label10"), "0.1875");
}

TEST_F(DisplayTest, ShortSignalLightsRedLampsDownArrowAndRedTray)
{
    script->fallback = record("GBP", "-0.25");
    open();
    EXPECT_EQ(lamps(), "00000000 22220000");
    EXPECT_EQ(picture(17), 3);
    EXPECT_EQ(form->trayIcon()->IconIndex(), 2);
    EXPECT_EQ(signalColour(), QColor(255, 0, 0));
    EXPECT_EQ(text("Label2"), "GBP");
}

TEST_F(DisplayTest, SignalBeyondTheMaximumLightsTheWholeRow)
{
    script->fallback = record("EURUSD", "1");
    open();
    EXPECT_EQ(lamps(), "11111111 00000000");
}

TEST_F(DisplayTest, TrackBarChangesOnlyEdit1UntilTheNextRefresh)
{
    script->fallback = record("EURUSD", "0.25");
    open();
    EXPECT_EQ(lamps(), "11110000 00000000");
    control<QSlider>("TrackBar1")->setValue(25);
    EXPECT_EQ(text("Edit1"), "0.25");
    EXPECT_EQ(lamps(), "11110000 00000000");
    form->Timer1Timer();
    EXPECT_EQ(lamps(), "11111111 00000000");
}

TEST_F(DisplayTest, PickingASymbolRefreshesAtOnce)
{
    script->fallback = kThreeRecords;
    open();
    QComboBox* box = combo("ComboBox3");
    box->setCurrentIndex(1);
    emit box->activated(1);
    EXPECT_EQ(text("Label2"), "GBPUSD");
    EXPECT_EQ(form->trayIcon()->Hint(), "Quorvane--GBPUSD");
    EXPECT_EQ(lamps(), "00000000 22220000");
    EXPECT_TRUE(reports.empty());
}

// ---- bridge group -----------------------------------------------------------

class BridgeTest : public WindowTest {
protected:
    std::string terminal() const { return dir / "mt4"; }
    void click(const char* name) { control<QPushButton>(name)->click(); }
};

TEST_F(BridgeTest, AcceptedFolderGetsTheExpertAdvisor)
{
    writeFile(dir / "Quorvane.ex4", "EA");
    std::filesystem::create_directories(terminal() + "/experts");
    open();
    browser->answer = terminal();
    click("Button1");
    EXPECT_EQ(text("Edit2").toStdString(), terminal());
    EXPECT_EQ(readFile(terminal() + "/experts/Quorvane.ex4"), "EA");
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(browser->calls.size(), 1u);
    EXPECT_EQ(browser->calls[0].first, kBrowseCaption);
}

TEST_F(BridgeTest, FolderWithoutExpertsIsRefusedWithTheMessage)
{
    writeFile(dir / "Quorvane.ex4", "EA");
    std::filesystem::create_directories(terminal());
    open();
    browser->answer = terminal();
    click("Button1");
    EXPECT_EQ(text("Edit2"), "");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], kNotMt4Message);
}

TEST_F(BridgeTest, CancelDisconnectsAndRemovesTheOldEurusdFile)
{
    std::filesystem::create_directories(terminal() + "/experts/files");
    writeFile(terminal() + "/experts/files/EURUSD", "old");
    writeFile(ini(), "[Form]\nmt4-path=" + terminal() + "\n");
    open();
    browser->answer.reset();
    click("Button1");
    ASSERT_EQ(browser->calls.size(), 1u);
    EXPECT_EQ(browser->calls[0].second, terminal()) << "an existing folder is preselected";
    EXPECT_EQ(text("Edit2"), "");
    EXPECT_FALSE(exists(terminal() + "/experts/files/EURUSD"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(BridgeTest, CallAndSoundButtonsUseTheirServices)
{
    writeFile(ini(), "[Form]\nmt4-path=/opt/mt4\n");
    open();
    click("Button2");
    click("Button5");
    ASSERT_EQ(shell->opened.size(), 1u);
    EXPECT_EQ(shell->opened[0].first, "open");
    EXPECT_EQ(shell->opened[0].second, "/opt/mt4/terminal.exe");
    EXPECT_EQ(shell->sounds, std::vector<std::string>{"open.wav"});
}

// ---- link labels ------------------------------------------------------------

void leftClick(QWidget* w)
{
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QCoreApplication::sendEvent(w, &release);
}

struct LinkRow {
    const char* label;
    const char* verb;
    const char* target;
};

class LinkLabelTest : public WindowTest, public ::testing::WithParamInterface<LinkRow> {};

TEST_P(LinkLabelTest, ClickHandsTheAddressToTheShell)
{
    open();
    auto* label = control<QLabel>(GetParam().label);
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    leftClick(label);
    ASSERT_EQ(shell->opened.size(), 1u);
    EXPECT_EQ(shell->opened[0].first, GetParam().verb);
    EXPECT_EQ(shell->opened[0].second, GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(Labels, LinkLabelTest,
                         ::testing::Values(LinkRow{"Label18", "open", "https://www.metaquotes.net/en/metatrader4"},
                                           LinkRow{"Label21", "open", "https://broker.quorvane.example/open-account"},
                                           LinkRow{"Label23", "Open", "https://quorvane.example/"},
                                           LinkRow{"Label25", "open", "mailto:support@quorvane.example"}),
                         [](const ::testing::TestParamInfo<LinkRow>& info) { return std::string(info.param.label); });

} // namespace
} // namespace quorvane::test
