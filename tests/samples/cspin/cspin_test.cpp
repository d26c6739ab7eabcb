// SPDX-License-Identifier: MIT
// Spin button and spin edit: the plain rules, repeat timing through a clock
// the test moves, the size rule, keys, the value cases and the typing filter.
#include "samples/cspin/cspinbutton.h"
#include "samples/cspin/cspinedit.h"
#include "samples/cspin/spinrules.h"
#include "samples/cspin/timerspeedbutton.h"

#include "tests/support/qtapp.h"

#include <QClipboard>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using namespace quorvane;

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// Timers on a clock the test moves by hand, one millisecond at a time.
struct ManualClock {
    struct Timer : RepeatTimer {
        explicit Timer(ManualClock& c) : clock(c) {}
        void start(int ms) override { period = ms, active = true, due = clock.now + ms; }
        void setInterval(int ms) override { period = ms, due = clock.now + ms; } // a QTimer restarts too
        void stop() override { active = false; }
        bool isActive() const override { return active; }
        int interval() const override { return period; }
        ManualClock& clock;
        int period = 0, due = 0;
        bool active = false;
    };
    RepeatTimerFactory factory()
    {
        return [this] { return std::unique_ptr<RepeatTimer>(timers.emplace_back(new Timer(*this))); };
    }
    void advance(int ms)
    {
        for (const int end = now + ms; now < end;) {
            ++now;
            for (Timer* t : timers)
                if (t->active && now >= t->due)
                    t->due = now + t->period, t->onTimeout();
        }
    }
    int now = 0;
    std::vector<Timer*> timers;
};

void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos = QPoint(3, 3))
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// A shown spin button on a manual clock that records when each button clicks.
class HeldSpin : public testing::Test {
protected:
    void SetUp() override
    {
        spin.setTimerFactory(clock.factory());
        spin.show();
        QObject::connect(&spin, &TCSpinButton::OnUpClick, [this] { ups.push_back(clock.now); });
        QObject::connect(&spin, &TCSpinButton::OnDownClick, [this] { downs.push_back(clock.now); });
    }
    ManualClock clock;
    TCSpinButton spin;
    std::vector<int> ups, downs;
};

} // namespace

TEST(SpinRules, CheckValueSaturationAndFormat)
{
    struct Row { const char* name; std::int32_t value, min, max, expected; };
    for (const Row& r : {Row{"equal bounds mean no range", 1000, 0, 0, 1000}, Row{"equal non-zero", -7, 5, 5, -7},
                         Row{"inside", 7, 0, 10, 7}, Row{"below", -1, 0, 10, 0}, Row{"above", 11, 0, 10, 10},
                         Row{"min > max: below min", 2, 5, 3, 5}, Row{"min > max: between", 4, 5, 3, 5},
                         Row{"min > max: above min", 9, 5, 3, 3}}) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(spin::CheckValue(r.value, r.min, r.max), r.expected);
    }
    // Regression: steps wrapped around at the 32-bit limits.
    EXPECT_EQ(spin::addSaturated(kMax, 1), kMax);
    EXPECT_EQ(spin::addSaturated(kMin, -5), kMin);
    EXPECT_EQ(spin::formatValue(-1234567), QStringLiteral("-1234567")); // no grouping
}

TEST(SpinRules, ParseValueReadsDecimalIntegersOnly)
{
    struct Row { const char* text; bool valid; std::int32_t value; };
    for (const Row& r : {Row{"7", true, 7}, Row{"-15", true, -15}, Row{"+4", true, 4}, Row{" 12 ", true, 12},
                         Row{"abc", false, 0}, Row{"", false, 0}, Row{"-", false, 0}, Row{"1.5", false, 0},
                         Row{"12a", false, 0}, Row{"2147483647", true, kMax}, Row{"-2147483648", true, kMin},
                         Row{"2147483648", false, 0}, Row{"99999999999999999999", false, 0}}) {
        SCOPED_TRACE(r.text);
        const auto value = spin::parseValue(QString::fromLatin1(r.text));
        EXPECT_EQ(value.has_value(), r.valid);
        EXPECT_EQ(value.value_or(0), r.value);
    }
}

TEST(SpinRules, IsValidCharPerEditorStateAndSeparator)
{
    // Regression: with the editor disabled "0", "1", blanks and accents passed.
    struct Row { const char* name; char16_t c; bool enabled, disabled; };
    for (const Row& r : {Row{"0", u'0', true, false}, Row{"1", u'1', true, false},
                         Row{"+", u'+', true, false}, Row{"-", u'-', true, false}, Row{".", u'.', true, false},
                         Row{"backspace", 8, true, false}, Row{"carriage return", 13, false, false},
                         Row{"ctrl-c", 3, true, true}, Row{"a", u'a', false, false}, Row{"blank", u' ', false, false},
                         Row{"e acute", 0xE9, false, false}, Row{"zhe", 0x0416, false, false}}) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(spin::IsValidChar(QChar(r.c), QLatin1Char('.'), true), r.enabled);
        EXPECT_EQ(spin::IsValidChar(QChar(r.c), QLatin1Char('.'), false), r.disabled);
    }
    EXPECT_TRUE(spin::IsValidChar(QLatin1Char(','), QLatin1Char(','), true));
    EXPECT_FALSE(spin::IsValidChar(QLatin1Char('.'), QLatin1Char(','), true));
}

TEST(SpinRules, BuiltInGlyphsAreTrianglesOnTransparentOlive)
{
    const QImage up = spin::builtInGlyph(true);
    ASSERT_EQ(up.size(), QSize(9, 6));
    const int runs[6] = {0, 1, 3, 5, 7, 0};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool black = x >= (9 - runs[y]) / 2 && x < (9 + runs[y]) / 2;
            ASSERT_EQ(up.pixelColor(x, y), black ? QColor(Qt::black) : QColor(128, 128, 0)) << x << "," << y;
        }
    EXPECT_EQ(spin::builtInGlyph(false), up.mirrored(false, true));
    const QImage glyph = spin::transparentGlyph(up);
    EXPECT_EQ(qAlpha(glyph.pixel(0, 0)), 0);
    EXPECT_EQ(glyph.pixel(4, 1), qRgba(0, 0, 0, 255));
}

TEST_F(HeldSpin, HeldButtonClicksAt400ThenEvery100AndOnceOnRelease)
{
    sendMouse(spin.UpButton(), QEvent::MouseButtonPress);
    clock.advance(1000);
    EXPECT_EQ(ups, (std::vector<int>{400, 500, 600, 700, 800, 900, 1000}));
    sendMouse(spin.UpButton(), QEvent::MouseButtonRelease);
    EXPECT_EQ(ups.size(), 8u);
    clock.advance(1000);
    EXPECT_EQ(ups.size(), 8u);
    EXPECT_FALSE(spin.UpButton()->repeatTimer()->isActive());
}

TEST_F(HeldSpin, TickOutsideThePressedButtonDoesNothingButKeepsRunning)
{
    TTimerSpeedButton* down = spin.DownButton();
    sendMouse(down, QEvent::MouseButtonPress);
    sendMouse(down, QEvent::MouseMove, QPoint(-50, -50));
    EXPECT_FALSE(down->IsDown());
    clock.advance(700);
    EXPECT_TRUE(downs.empty());
    EXPECT_TRUE(down->repeatTimer()->isActive());
    sendMouse(down, QEvent::MouseMove); // back over the button
    clock.advance(100);
    sendMouse(down, QEvent::MouseButtonRelease, QPoint(-50, -50)); // no final click outside
    EXPECT_EQ(downs, std::vector<int>{800});
}

// Regression: a held button kept repeating after it was disabled or hidden.
TEST_F(HeldSpin, DisablingOrHidingAHeldButtonStopsTheRepeat)
{
    sendMouse(spin.UpButton(), QEvent::MouseButtonPress);
    clock.advance(450);
    spin.setEnabled(false);
    clock.advance(1000);
    EXPECT_EQ(ups, std::vector<int>{400});
    EXPECT_FALSE(spin.UpButton()->IsDown());
    spin.setEnabled(true);
    sendMouse(spin.DownButton(), QEvent::MouseButtonPress);
    spin.hide();
    clock.advance(1000);
    EXPECT_TRUE(downs.empty());
}

// Regression: an error thrown by a click handler escaped the repeat tick and
// the release into the event loop, which ended the program.
TEST_F(HeldSpin, FailingClickIsReportedStopsTheRepeatAndTheButtonGoesOn)
{
    std::vector<std::string> reports;
    spin.setErrorReport([&](const std::string& message) { reports.push_back(message); });
    bool fail = true;
    QObject::connect(&spin, &TCSpinButton::OnUpClick, [&] {
        if (fail)
            throw std::runtime_error("step failed");
    });
    sendMouse(spin.UpButton(), QEvent::MouseButtonPress);
    EXPECT_NO_THROW(clock.advance(1000));
    EXPECT_EQ(reports, std::vector<std::string>{"step failed"});
    EXPECT_FALSE(spin.UpButton()->repeatTimer()->isActive());
    EXPECT_NO_THROW(sendMouse(spin.UpButton(), QEvent::MouseButtonRelease));
    EXPECT_EQ(reports.size(), 2u);
    EXPECT_NO_THROW(QTest::keyClick(&spin, Qt::Key_Up));
    EXPECT_EQ(reports.size(), 3u);

    fail = false; // the button still works
    ups.clear();
    sendMouse(spin.UpButton(), QEvent::MouseButtonPress);
    clock.advance(500);
    sendMouse(spin.UpButton(), QEvent::MouseButtonRelease);
    EXPECT_EQ(ups.size(), 3u);
}

TEST(TCSpinButton, SizeRuleWidensAndOverlapsTheButtonsByOneRow)
{
    TCSpinButton spin;
    spin.SetBounds(3, 4, 10, 25);
    EXPECT_EQ(spin.geometry(), QRect(3, 4, 15, 25));
    EXPECT_EQ(spin.UpButton()->geometry(), QRect(0, 0, 15, 12));
    EXPECT_EQ(spin.DownButton()->geometry(), QRect(0, 11, 15, 14));
    spin.show();
    spin.resize(8, 30);
    QApplication::processEvents();
    EXPECT_EQ(spin.size(), QSize(15, 30));
    EXPECT_EQ(spin.DownButton()->geometry(), QRect(0, 14, 15, 16));
    for (int height : {4, 17, 26, 100}) {
        const spin::SpinButtonLayout layout = spin::spinButtonLayout(QSize(20, height));
        EXPECT_EQ(layout.downRect.bottom(), height - 1) << height;
        EXPECT_EQ(layout.downRect.top(), layout.upRect.bottom()) << height;
    }
}

TEST(TCSpinButton, ArrowKeysMoveTheFocusedButtonAndSpaceClicksIt)
{
    TCSpinButton spin;
    spin.SetFocusBtn(spin.DownButton()); // without tab stop the focus stays on up
    EXPECT_EQ(spin.FocusedButton(), spin.UpButton());
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
    EXPECT_FALSE(spin.UpButton()->FocusRect());
    QTest::keyClick(&spin, Qt::Key_Space);
    EXPECT_EQ(downs.count(), 2);
    QTest::keyClick(&spin, Qt::Key_Up);
    EXPECT_EQ(ups.count(), 1);
    EXPECT_EQ(spin.FocusedButton(), spin.UpButton());
}

TEST(TCSpinEdit, ValueCases)
{
    struct Row { const char* name; std::int32_t min, max, increment; const char* text, *steps, *expected; };
    const Row rows[] = {
        {"7 + 5 stops at 10", 0, 10, 5, "7", "+", "10"},
        {"at the maximum, down steps back", 0, 10, 5, "7", "++-", "5"},
        {"equal bounds: no range", 0, 0, 1000, "0", "--", "-2000"},
        {"abc reads as MinValue", 3, 20, 4, "abc", "", "3"},
        {"abc steps from MinValue", 3, 20, 4, "abc", "+", "7"},
        {"min > max: 1 + 1 rises to min", 5, 3, 1, "1", "+", "5"},
        {"min > max: 9 + 1 falls to max", 5, 3, 1, "9", "+", "3"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TCSpinEdit edit;
        edit.SetMinValue(r.min);
        edit.SetMaxValue(r.max);
        edit.SetIncrement(r.increment);
        edit.setText(QString::fromLatin1(r.text));
        if (!*r.steps)
            edit.GetValue();
        for (const char* s = r.steps; *s; ++s)
            *s == '+' ? edit.UpClick(&edit) : edit.DownClick(&edit);
        EXPECT_EQ(edit.text(), QString::fromLatin1(r.expected));
    }
    TCSpinEdit edit; // leaving the field writes the clamped value
    edit.SetMaxValue(10);
    edit.setText(QStringLiteral("50"));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &out);
    EXPECT_EQ(edit.text(), QStringLiteral("10"));
}

TEST(TCSpinEdit, KeysAndButtonsStepButBeepWhenReadOnly)
{
    TCSpinEdit edit;
    edit.setText(QStringLiteral("4"));
    edit.show();
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::mouseClick(edit.Button()->DownButton(), Qt::LeftButton);
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
    edit.SetReadOnly(true);
    QSignalSpy beeps(&edit, &TCSpinEdit::beeped);
    edit.UpClick(&edit);
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::mouseClick(edit.Button()->UpButton(), Qt::LeftButton);
    EXPECT_EQ(beeps.count(), 3);
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
}

// Regression: pressing the spin button left the focus in another control.
TEST(TCSpinEdit, PressingTheButtonFocusesTheEdit)
{
    QWidget window;
    auto* other = new QLineEdit(&window);
    auto* edit = new TCSpinEdit(&window);
    edit->move(0, 40);
    window.show();
    QApplication::setActiveWindow(&window);
    other->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return other->hasFocus(); }));
    sendMouse(edit->Button()->UpButton(), QEvent::MouseButtonPress);
    EXPECT_TRUE(edit->hasFocus());
    sendMouse(edit->Button()->UpButton(), QEvent::MouseButtonRelease);
    EXPECT_EQ(edit->text(), QStringLiteral("1"));
}

TEST(TCSpinEdit, TypingFilterFollowsTheEditorStateAndTheLocale)
{
    TCSpinEdit edit;
    edit.clear();
    QSignalSpy beeps(&edit, &TCSpinEdit::beeped);
    QTest::keyClicks(&edit, QStringLiteral("-1x2"));
    EXPECT_EQ(edit.text(), QStringLiteral("-12"));
    EXPECT_EQ(beeps.count(), 1);
    edit.setLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(edit.IsValidChar(QLatin1Char(',')));
    edit.setLocale(QLocale::c());
    EXPECT_FALSE(edit.IsValidChar(QLatin1Char(',')));
    // Regression: with the editor disabled digits, Delete and Backspace still edited.
    edit.SetEditorEnabled(false);
    for (Qt::Key key : {Qt::Key_0, Qt::Key_1, Qt::Key_5, Qt::Key_Period, Qt::Key_Backspace, Qt::Key_Delete})
        QTest::keyClick(&edit, key);
    EXPECT_EQ(edit.text(), QStringLiteral("-12"));
    EXPECT_EQ(beeps.count(), 7);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), QStringLiteral("-11"));
    // Regression: cut and paste changed a field whose editor is disabled.
    QApplication::clipboard()->setText(QStringLiteral("77"));
    edit.selectAll();
    edit.Cut();
    edit.Paste();
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("-11"));
    edit.SetEditorEnabled(true);
    edit.selectAll();
    edit.Paste();
    EXPECT_EQ(edit.text(), QStringLiteral("77"));
}

// Regression: a height below the minimum given while hidden or as a
// top-level window left the button where an older size had put it.
TEST(TCSpinEdit, TooLowHeightGrowsBackAndTheButtonSitsInsideTheFrame)
{
    const auto expectButtonInside = [](const TCSpinEdit& edit) {
        EXPECT_EQ(edit.height(), edit.MinHeight());
        const QRect button = edit.Button()->geometry();
        EXPECT_EQ(button, spin::spinButtonPlacement(edit.size(), 15, 2));
        EXPECT_EQ(button.right(), edit.width() - 4);
        EXPECT_TRUE(edit.rect().contains(button));
    };
    {
        SCOPED_TRACE("shown child");
        QWidget window;
        auto* edit = new TCSpinEdit(&window);
        window.show();
        edit->resize(100, 5);
        QApplication::processEvents();
        expectButtonInside(*edit);
    }
    {
        SCOPED_TRACE("resized while hidden");
        QWidget window;
        auto* edit = new TCSpinEdit(&window);
        edit->hide();
        window.show();
        edit->resize(120, 5);
        QApplication::processEvents();
        edit->show();
        QApplication::processEvents();
        expectButtonInside(*edit);
    }
    {
        SCOPED_TRACE("top-level window");
        TCSpinEdit edit;
        edit.resize(120, 5);
        edit.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
        QApplication::processEvents();
        expectButtonInside(edit);
    }
}

// Regression: with AutoSelect off, Tab, Backtab and a shortcut still selected
// the whole text (the line edit does so by itself).
TEST(TCSpinEdit, AutoSelectDecidesForEveryKeyboardFocus)
{
    for (const bool autoSelect : {true, false}) {
        for (const Qt::FocusReason reason : {Qt::TabFocusReason, Qt::BacktabFocusReason, Qt::ShortcutFocusReason}) {
            SCOPED_TRACE(testing::Message() << "AutoSelect " << autoSelect << ", reason " << reason);
            TCSpinEdit edit;
            edit.setText(QStringLiteral("1234"));
            edit.setCursorPosition(2);
            edit.SetAutoSelect(autoSelect);
            QFocusEvent in(QEvent::FocusIn, reason);
            QApplication::sendEvent(&edit, &in);
            EXPECT_EQ(edit.selectedText(), autoSelect ? QStringLiteral("1234") : QString());
        }
    }
}

// Regression: key events whose text is not exactly one UTF-16 unit skipped
// the filter, so an emoji or a two-letter text got into the field.
TEST(TCSpinEdit, TypingFilterSeesEveryUnitOfAKeysText)
{
    struct Row { const char* name; QString text; bool enabled; const char* expected; bool beeps; };
    const Row rows[] = {
        {"emoji (surrogate pair)", QString::fromUtf8("\xF0\x9F\x98\x80"), true, "5", true},
        {"two letters", QStringLiteral("ab"), true, "5", true},
        {"digit and letter", QStringLiteral("1a"), true, "5", true},
        {"two digits", QStringLiteral("12"), true, "512", false},
        {"two digits, editor disabled", QStringLiteral("12"), false, "5", true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TCSpinEdit edit;
        edit.setText(QStringLiteral("5"));
        edit.SetEditorEnabled(r.enabled);
        QSignalSpy beeps(&edit, &TCSpinEdit::beeped);
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, r.text);
        QApplication::sendEvent(&edit, &key);
        EXPECT_EQ(edit.text(), QString::fromLatin1(r.expected));
        EXPECT_EQ(beeps.count(), r.beeps ? 1 : 0);
    }
}

TEST(TCSpinEdit, FailingStepFromAKeyOrTheButtonIsReported)
{
    struct FailingEdit : TCSpinEdit {
        void UpClick(QObject*) override { throw std::runtime_error("no step"); }
    } edit;
    std::vector<std::string> reports;
    edit.setErrorReport([&](const std::string& message) { reports.push_back(message); });
    edit.show();
    EXPECT_NO_THROW(QTest::keyClick(&edit, Qt::Key_Up));
    EXPECT_NO_THROW(QTest::mouseClick(edit.Button()->UpButton(), Qt::LeftButton));
    EXPECT_EQ(reports, (std::vector<std::string>{"no step", "no step"}));
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), QStringLiteral("-1"));
}
