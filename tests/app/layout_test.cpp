// SPDX-License-Identifier: MIT
// The window as the user sees it, measured with the fonts this platform has:
// every caption and value inside its own box and clear of its neighbours, the
// lamps white before any signal, the title exactly the layout's caption.
// Registered three times: at 96 DPI, with QT_SCALE_FACTOR=2 and under full
// hinting without antialiasing, the widest text a desktop may draw.

#include "tests/support/qtapp.h"
#include "tests/support/scratchfolder.h"

#include "app/apptitle.h"
#include "core/exceptions.h"
#include "app/formservices.h"
#include "app/tform1.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

namespace quorvane::test {
namespace {

/// A service whose every poll fails, and a tray that takes everything: the
/// window stays as it is before its first good display.
class StandIn : public HelloWorldPortType, public TrayShell {
public:
    std::string Signal(int, const std::string&) override { throw Exception("no service"); }
    bool Add(const NotifyIconData&) override { return true; }
    bool Modify(const NotifyIconData&) override { return true; }
    bool Delete(const NotifyIconData&) override { return true; }
    bool IsAvailable() const override { return true; }
};

class LayoutTest : public ::testing::Test {
protected:
    ScratchFolder dir;
    std::vector<std::string> reports;
    std::unique_ptr<TForm1> form;

    void SetUp() override
    {
        FormServices s;
        s.executablePath = dir / "quorvane";
        s.signalService = [] { return std::make_shared<StandIn>(); };
        s.trayShell = std::make_unique<StandIn>();
        s.reportError = [this](const std::string& m) { reports.push_back(m); };
        form = std::make_unique<TForm1>(std::move(s));
        // The History page is placed by layouts, which set its labels' places
        // once it is shown; the other pages keep their fixed places meanwhile.
        form->findChild<QTabWidget*>("PageControl1")->setCurrentWidget(form->findChild<QWidget*>("TabSheet4"));
        form->show();
    }

    /// Where a label draws `text`, in its parent's coordinates, in whole pixels
    /// (fractional advances still colour the next pixel).
    static QRect textRect(const QLabel* label, const QString& text)
    {
        const QFontMetricsF fm(label->font(), label);
        const QRect box = label->contentsRect().translated(label->pos());
        const QSizeF size = label->wordWrap() ? fm.boundingRect(QRectF(box), Qt::TextWordWrap, text).size()
                                              : QSizeF(fm.horizontalAdvance(text), fm.height());
        const QSize whole(static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height())));
        return QStyle::alignedRect(label->layoutDirection(), label->alignment(), whole, box);
    }
};

TEST_F(LayoutTest, EveryLabelHoldsItsLongestTextInsideItsBoxAndClearOfItsNeighbours)
{
    // The longest texts the values take; captions are measured as they are.
    std::map<QString, QString> values = {
        {"Label2", "EURUSD"},
        {"Label4", "1.23456"},
        {"Label8", "2026-12-08 10:15:00 GMT"},
        {"Label10", "-0.1359"},
    };
    // Labels draw nothing but their text, so for them the text is what can
    // collide; any other control collides with its whole box.
    std::map<const QWidget*, QRect> inked;
    std::vector<const QLabel*> texts;
    for (QLabel* label : form->findChildren<QLabel*>()) {
        const QString name = label->objectName();
        // Some labels lie beyond their box's edge by design and are never seen.
        if (!label->parentWidget()->rect().contains(label->geometry()))
            continue;
        if (name.startsWith("Image")) { // lamps and arrow: pictures
            inked[label] = label->geometry();
            continue;
        }
        const auto value = values.find(name);
        const QString text = value != values.end() ? value->second : label->text();
        if (value != values.end())
            values.erase(value);
        SCOPED_TRACE(name.toStdString() + " \"" + text.toStdString() + "\"");
        const QRect drawn = textRect(label, text);
        EXPECT_TRUE(label->contentsRect().translated(label->pos()).contains(drawn))
            << "cut: needs " << drawn.width() << " x " << drawn.height() << ", has " << label->width() << " x "
            << label->height();
        // Inside its box's frame, not under it.
        const QWidget* parent = label->parentWidget();
        const int frame = qobject_cast<const QGroupBox*>(parent) ? 2 : 0;
        EXPECT_LE(drawn.x() + drawn.width(), parent->width() - frame)
            << "beyond the edge of " << parent->objectName().toStdString();
        inked[label] = drawn;
        texts.push_back(label);
    }
    EXPECT_TRUE(values.empty()) << "a value label was not measured";

    // A caption that touches its value reads as one word: keep a gap.
    const QMargins gap(2, 0, 2, 0);
    for (const QLabel* widget : texts) {
        const QRect area = inked[widget].marginsAdded(gap);
        for (const QObject* o : widget->parentWidget()->children()) {
            const auto* other = qobject_cast<const QWidget*>(o);
            if (!other || other == widget || other->isHidden())
                continue;
            const auto found = inked.find(other);
            const QRect otherArea = found != inked.end() ? found->second : other->geometry();
            EXPECT_FALSE(area.intersects(otherArea))
                << widget->objectName().toStdString() << " runs into " << other->objectName().toStdString();
        }
    }
}

TEST_F(LayoutTest, EveryVisibleCheckBoxHoldsItsCaption)
{
    for (const QCheckBox* box : form->findChildren<QCheckBox*>()) {
        if (box->parentWidget()->objectName() == "GroupBox3") // the alarm group is never seen
            continue;
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_LE(box->sizeHint().width(), box->width()) << "caption cut";
        EXPECT_LE(box->geometry().right(), box->parentWidget()->width() - 2) << "beyond its box";
    }
}

TEST_F(LayoutTest, SixteenWhiteLampsAndNoArrowBeforeTheFirstGoodDisplay)
{
    ASSERT_EQ(form->findChild<QStatusBar*>("StatusBar1")->currentMessage().toStdString(), "Disconnect!");
    for (int n = 1; n <= 16; ++n) {
        const auto* lamp = form->findChild<QLabel*>(QString("Image%1").arg(n));
        SCOPED_TRACE(n);
        EXPECT_EQ(lamp->pixmap().isNull() ? -1 : lamp->property("imageIndex").toInt(), 0) << "-1: no picture";
    }
    EXPECT_TRUE(form->findChild<QLabel*>("Image17")->pixmap().isNull());
}

TEST_F(LayoutTest, TitleIsTheLayoutsCaptionWithNothingAppended)
{
    const QString caption = QStringLiteral("Quorvane 2.0  ---Long-term, steady earnings! ");
    EXPECT_EQ(form->windowTitle().toStdString(), caption.toStdString());

    const QString before = QCoreApplication::applicationName();
    nameApplication(dir / "quorvane");
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "Quorvane") << "message boxes keep the program's name";
    // Qt appends a display name to window titles only when one was set on its
    // own; a display name that still follows the application name was not.
    QCoreApplication::setApplicationName("probe");
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "probe");
    QCoreApplication::setApplicationName(before);
}

} // namespace
} // namespace quorvane::test
