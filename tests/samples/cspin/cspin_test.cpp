// Spin button and spin edit as widgets: repeat timing through a timer the
// test drives, the size rule, keys, the value cases and the typing filter.
#include "cspinbutton.h"
#include "cspinedit.h"
#include "timerspeedbutton.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include <vector>

using namespace quorvane;

namespace {

// The application lives from before the first test to after the last one and
// goes before the process's static objects do.
class QtApplicationEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "quorvane_cspin_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] testing::Environment* const kQtEnvironment =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

void ensureApplication()
{
    ASSERT_NE(QApplication::instance(), nullptr);
}

// A timer on a clock the test moves by hand.
class ManualClock {
public:
    class Timer : public RepeatTimer {
    public:
        explicit Timer(ManualClock& clock) : m_clock(clock) {}
        void start(int ms) override { m_interval = ms; m_active = true; m_due = m_clock.now + ms; }
        void setInterval(int ms) override
        {
            m_interval = ms;
            if (m_active)
                m_due = m_clock.now + ms; // a running QTimer restarts too
        }
        void stop() override { m_active = false; }
        bool isActive() const override { return m_active; }
        int interval() const override { return m_interval; }
        void fireIfDue()
        {
            if (m_active && m_clock.now >= m_due) {
                m_due = m_clock.now + m_interval;
                onTimeout();
            }
        }

    private:
        ManualClock& m_clock;
        int m_interval = 0;
        bool m_active = false;
        int m_due = 0;
    };

    RepeatTimerFactory factory()
    {
        return [this] {
            auto timer = std::make_unique<Timer>(*this);
            timers.push_back(timer.get());
            return timer;
        };
    }
    void advance(int ms)
    {
        for (int i = 0; i < ms; ++i) {
            ++now;
            for (Timer* timer : timers)
                timer->fireIfDue();
        }
    }

    int now = 0;
    std::vector<Timer*> timers;
};

void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

class SpinTest : public testing::Test {
protected:
    void SetUp() override { ensureApplication(); }
};

TEST_F(SpinTest, HeldButtonClicksAt400ThenEvery100AndOnceOnRelease)
{
    ManualClock clock;
    TCSpinButton spin;
    spin.setTimerFactory(clock.factory());
    spin.show();
    std::vector<int> clicks;
    QObject::connect(&spin, &TCSpinButton::OnUpClick, &spin,
                     [&](TCSpinButton*) { clicks.push_back(clock.now); });

    TTimerSpeedButton* up = spin.UpButton();
    const QPoint inside = up->rect().center();
    sendMouse(up, QEvent::MouseButtonPress, inside);
    clock.advance(1000);
    EXPECT_EQ(clicks, (std::vector<int>{400, 500, 600, 700, 800, 900, 1000}));
    sendMouse(up, QEvent::MouseButtonRelease, inside);
    EXPECT_EQ(clicks.size(), 8u);
    ASSERT_NE(up->repeatTimer(), nullptr);
    EXPECT_FALSE(up->repeatTimer()->isActive());
    clock.advance(1000);
    EXPECT_EQ(clicks.size(), 8u);
}

TEST_F(SpinTest, TickOutsideThePressedButtonDoesNothingButKeepsRunning)
{
    ManualClock clock;
    TCSpinButton spin;
    spin.setTimerFactory(clock.factory());
    spin.show();
    int downClicks = 0;
    QObject::connect(&spin, &TCSpinButton::OnDownClick, &spin, [&](TCSpinButton*) { ++downClicks; });

    TTimerSpeedButton* down = spin.DownButton();
    sendMouse(down, QEvent::MouseButtonPress, down->rect().center());
    sendMouse(down, QEvent::MouseMove, QPoint(-50, -50));
    EXPECT_FALSE(down->IsDown());
    clock.advance(700);
    EXPECT_EQ(downClicks, 0);
    EXPECT_TRUE(down->repeatTimer()->isActive());
    // Back over the button: the running timer clicks again.
    sendMouse(down, QEvent::MouseMove, down->rect().center());
    clock.advance(100);
    EXPECT_EQ(downClicks, 1);
    // Released outside: no final click.
    sendMouse(down, QEvent::MouseButtonRelease, QPoint(-50, -50));
    EXPECT_EQ(downClicks, 1);
}

TEST_F(SpinTest, DisablingAHeldButtonStopsTheRepeat)
{
    ManualClock clock;
    TCSpinButton spin;
    spin.setTimerFactory(clock.factory());
    spin.show();
    int clicks = 0;
    QObject::connect(&spin, &TCSpinButton::OnUpClick, &spin, [&](TCSpinButton*) { ++clicks; });
    sendMouse(spin.UpButton(), QEvent::MouseButtonPress, QPoint(3, 3));
    clock.advance(450);
    EXPECT_EQ(clicks, 1);
    spin.setEnabled(false);
    clock.advance(1000);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(spin.UpButton()->IsDown());
}

TEST_F(SpinTest, HidingAHeldButtonStopsTheRepeat)
{
    ManualClock clock;
    TCSpinButton spin;
    spin.setTimerFactory(clock.factory());
    spin.show();
    int clicks = 0;
    QObject::connect(&spin, &TCSpinButton::OnDownClick, &spin, [&](TCSpinButton*) { ++clicks; });
    sendMouse(spin.DownButton(), QEvent::MouseButtonPress, QPoint(3, 3));
    spin.hide();
    clock.advance(1000);
    EXPECT_EQ(clicks, 0);
}

TEST_F(SpinTest, PressingTheButtonFocusesTheEdit)
{
    QWidget window;
    auto* other = new QLineEdit(&window);
    auto* edit = new TCSpinEdit(&window);
    edit->move(0, 40);
    window.show();
    QApplication::setActiveWindow(&window);
    other->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return other->hasFocus(); }));
    sendMouse(edit->Button()->UpButton(), QEvent::MouseButtonPress, QPoint(3, 3));
    EXPECT_TRUE(edit->hasFocus());
    sendMouse(edit->Button()->UpButton(), QEvent::MouseButtonRelease, QPoint(3, 3));
    EXPECT_EQ(edit->text(), QStringLiteral("1"));
}

TEST_F(SpinTest, FailingRepeatedClickStopsTheTimer)
{
    ManualClock clock;
    TTimerSpeedButton button;
    button.setTimerFactory(clock.factory());
    button.SetAllowTimer(true);
    button.resize(20, 12);
    button.show();
    QObject::connect(&button, &TTimerSpeedButton::clicked, &button,
                     [] { throw std::runtime_error("step failed"); });
    sendMouse(&button, QEvent::MouseButtonPress, QPoint(5, 5));
    EXPECT_THROW(clock.advance(400), std::runtime_error);
    EXPECT_FALSE(button.repeatTimer()->isActive());
}

TEST_F(SpinTest, SizeRuleWidensAndSplitsTheButtons)
{
    TCSpinButton spin;
    spin.SetBounds(3, 4, 10, 25);
    EXPECT_EQ(spin.geometry(), QRect(3, 4, 15, 25));
    EXPECT_EQ(spin.UpButton()->geometry(), QRect(0, 0, 15, 12));
    EXPECT_EQ(spin.DownButton()->geometry(), QRect(0, 11, 15, 14));
}

TEST_F(SpinTest, ResizeOfAShownSpinButtonAppliesTheRule)
{
    TCSpinButton spin;
    spin.show();
    spin.resize(8, 30);
    QApplication::processEvents();
    EXPECT_EQ(spin.size(), QSize(15, 30));
    EXPECT_EQ(spin.DownButton()->geometry(), QRect(0, 14, 15, 16));
}

TEST_F(SpinTest, ArrowKeysMoveTheFocusedButtonAndSpaceClicksIt)
{
    TCSpinButton spin;
    spin.SetTabStop(true);
    spin.show();
    QApplication::setActiveWindow(&spin);
    spin.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return spin.hasFocus(); }));
    QSignalSpy ups(&spin, &TCSpinButton::OnUpClick);
    QSignalSpy downs(&spin, &TCSpinButton::OnDownClick);

    EXPECT_TRUE(spin.UpButton()->FocusRect());
    QTest::keyClick(&spin, Qt::Key_Down);
    EXPECT_EQ(spin.FocusedButton(), spin.DownButton());
    EXPECT_TRUE(spin.DownButton()->FocusRect());
    EXPECT_FALSE(spin.UpButton()->FocusRect());
    QTest::keyClick(&spin, Qt::Key_Space);
    EXPECT_EQ(downs.count(), 2);
    QTest::keyClick(&spin, Qt::Key_Up);
    EXPECT_EQ(ups.count(), 1);
    EXPECT_EQ(spin.FocusedButton(), spin.UpButton());
}

TEST_F(SpinTest, WithoutTabStopTheFocusedButtonStays)
{
    TCSpinButton spin;
    spin.SetFocusBtn(spin.DownButton());
    EXPECT_EQ(spin.FocusedButton(), spin.UpButton());
}

TEST_F(SpinTest, NullGlyphRestoresTheBuiltInOne)
{
    TCSpinButton spin;
    const QImage builtIn = spin.UpGlyph();
    QImage custom(5, 5, QImage::Format_RGB32);
    custom.fill(Qt::red);
    spin.SetUpGlyph(custom);
    EXPECT_EQ(spin.UpGlyph(), custom);
    spin.SetUpGlyph(QImage());
    EXPECT_EQ(spin.UpGlyph(), builtIn);
}

TEST_F(SpinTest, UpClampsAtMaxAndDownStepsBack)
{
    TCSpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(10);
    edit.SetIncrement(5);
    edit.setText(QStringLiteral("7"));
    edit.UpClick(&edit);
    EXPECT_EQ(edit.text(), QStringLiteral("10"));
    edit.UpClick(&edit);
    EXPECT_EQ(edit.text(), QStringLiteral("10"));
    edit.DownClick(&edit);
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
}

TEST_F(SpinTest, EqualBoundsLetStepsGoAnywhere)
{
    TCSpinEdit edit;
    edit.SetIncrement(1000);
    edit.DownClick(&edit);
    edit.DownClick(&edit);
    EXPECT_EQ(edit.GetValue(), -2000);
}

TEST_F(SpinTest, NonIntegerTextIsReplacedByMinValue)
{
    TCSpinEdit edit;
    edit.SetMinValue(3);
    edit.SetMaxValue(20);
    edit.SetIncrement(4);
    edit.setText(QStringLiteral("abc"));
    EXPECT_EQ(edit.GetValue(), 3);
    EXPECT_EQ(edit.text(), QStringLiteral("3"));
    edit.setText(QStringLiteral("abc"));
    edit.UpClick(&edit);
    EXPECT_EQ(edit.text(), QStringLiteral("7"));
}

TEST_F(SpinTest, InvertedBoundsFollowTheLowerBoundFirst)
{
    TCSpinEdit edit;
    edit.SetMinValue(5);
    edit.SetMaxValue(3);
    edit.SetValue(1);
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
    edit.SetValue(4);
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
    edit.SetValue(9);
    EXPECT_EQ(edit.text(), QStringLiteral("3"));
}

TEST_F(SpinTest, ReadOnlyStepsBeepAndLeaveTheText)
{
    TCSpinEdit edit;
    edit.setText(QStringLiteral("4"));
    edit.SetReadOnly(true);
    QSignalSpy beeps(&edit, &TCSpinEdit::beeped);
    edit.UpClick(&edit);
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::mouseClick(edit.Button()->UpButton(), Qt::LeftButton);
    EXPECT_EQ(beeps.count(), 3);
    EXPECT_EQ(edit.text(), QStringLiteral("4"));
}

TEST_F(SpinTest, ArrowKeysAndButtonsStep)
{
    TCSpinEdit edit;
    edit.setText(QStringLiteral("4"));
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), QStringLiteral("6"));
    edit.show();
    QTest::mouseClick(edit.Button()->DownButton(), Qt::LeftButton);
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
}

TEST_F(SpinTest, TypingFilterRefusesLettersWithABeep)
{
    TCSpinEdit edit;
    edit.clear();
    QSignalSpy beeps(&edit, &TCSpinEdit::beeped);
    QTest::keyClicks(&edit, QStringLiteral("-1x2"));
    EXPECT_EQ(edit.text(), QStringLiteral("-12"));
    EXPECT_EQ(beeps.count(), 1);
}

TEST_F(SpinTest, DisabledEditorRefusesDigitsBackspaceAndPeriodButSteps)
{
    TCSpinEdit edit;
    edit.SetEditorEnabled(false);
    edit.setText(QStringLiteral("8"));
    edit.end(false);
    QSignalSpy beeps(&edit, &TCSpinEdit::beeped);
    QTest::keyClick(&edit, Qt::Key_0);
    QTest::keyClick(&edit, Qt::Key_1);
    QTest::keyClick(&edit, Qt::Key_5);
    QTest::keyClick(&edit, Qt::Key_Period);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QStringLiteral("8"));
    EXPECT_EQ(beeps.count(), 6);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), QStringLiteral("9"));
}

TEST_F(SpinTest, DisabledEditorIgnoresCutAndPaste)
{
    TCSpinEdit edit;
    edit.setText(QStringLiteral("123"));
    QApplication::clipboard()->setText(QStringLiteral("77"));
    edit.SetEditorEnabled(false);
    edit.selectAll();
    edit.Cut();
    EXPECT_EQ(edit.text(), QStringLiteral("123"));
    edit.Paste();
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("123"));

    edit.SetEditorEnabled(true);
    edit.selectAll();
    edit.Paste();
    EXPECT_EQ(edit.text(), QStringLiteral("77"));
}

TEST_F(SpinTest, DecimalSeparatorFollowsTheLocale)
{
    TCSpinEdit edit;
    edit.setLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(edit.IsValidChar(QLatin1Char(',')));
    EXPECT_FALSE(edit.IsValidChar(QLatin1Char('a')));
    edit.setLocale(QLocale::c());
    EXPECT_FALSE(edit.IsValidChar(QLatin1Char(',')));
}

TEST_F(SpinTest, LeavingTheFieldWritesTheClampedValue)
{
    TCSpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(10);
    edit.setText(QStringLiteral("50"));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &out);
    EXPECT_EQ(edit.text(), QStringLiteral("10"));
}

TEST_F(SpinTest, TooLowHeightGrowsBackToTheMinimum)
{
    TCSpinEdit edit;
    edit.show();
    edit.resize(100, 5);
    QApplication::processEvents();
    EXPECT_EQ(edit.height(), edit.MinHeight());
    const QRect button = edit.Button()->geometry();
    EXPECT_EQ(button.right(), edit.width() - 2 - 2);
    EXPECT_GE(button.width(), 15);
}

} // namespace
