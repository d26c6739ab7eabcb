// SPDX-License-Identifier: MIT
// The record display of the main window: lamps, arrow, tray picture, labels
// and colours, the track bar, and the display under a comma-decimal locale.

#include "tests/support/windowfixture.h"

#include <QLocale>
#include <QSlider>

#include <clocale>

namespace quorvane::test {
namespace {

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

} // namespace
} // namespace quorvane::test
