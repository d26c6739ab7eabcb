// SPDX-License-Identifier: MIT
// A form as Designer saves it, with a changed property on every component,
// compiled by uic: the generated code calls set + the property name, and the
// components get the values through their setters' rules.
#include "ui_componentsform.h"

#include "tests/support/qtapp.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace quorvane;

namespace {

// The outline walks the process's current directory; the root is one it can
// always walk, wherever the test runs.
class AtRoot {
public:
    AtRoot() : m_old(QDir::currentPath()) { QDir::setCurrent(QDir::rootPath()); }
    ~AtRoot() { QDir::setCurrent(m_old); }
    AtRoot(const AtRoot&) = delete;
    AtRoot& operator=(const AtRoot&) = delete;

private:
    QString m_old;
};

} // namespace

TEST(UicForm, EveryComponentTakesItsChangedProperty)
{
    const AtRoot root;
    QWidget form;
    Ui::ComponentsForm ui;
    ui.setupUi(&form);

    EXPECT_EQ(ui.performanceGraph->GetKind(), pgBar);
    EXPECT_EQ(ui.performanceGraph->GetBackColor(), QColor(0, 0, 128));
    EXPECT_EQ(ui.performanceGraph->GetGridSize(), 20);
    EXPECT_EQ(ui.performanceGraph->GetScale(), 300) << "rounded up to a multiple of Gradient";

    EXPECT_EQ(ui.gauge->GetKind(), gkPie);
    EXPECT_EQ(ui.gauge->GetForeColor(), QColor(Qt::red));
    EXPECT_EQ(ui.gauge->GetMaxValue(), 40);
    EXPECT_EQ(ui.gauge->GetPercentDone(), 75);

    EXPECT_EQ(ui.spinEdit->Increment(), 2);
    EXPECT_EQ(ui.spinEdit->MinValue(), 1);
    EXPECT_EQ(ui.spinEdit->MaxValue(), 9);
    EXPECT_FALSE(ui.spinEdit->EditorEnabled());
    EXPECT_TRUE(ui.spinEdit->ReadOnly());
    EXPECT_TRUE(ui.spinButton->TabStop());

    EXPECT_EQ(ui.calendar->GetDate(), QDate(2008, 2, 29));
    EXPECT_EQ(ui.calendar->StartOfWeek(), 7);
    EXPECT_FALSE(ui.calendar->UseCurrentDate());
    EXPECT_EQ(ui.calendar->GridLineWidth(), 2);

    EXPECT_EQ(ui.directoryOutline->TextCase(), TTextCase::tcUpperCase);
    EXPECT_EQ(ui.directoryOutline->Directory(), QDir::rootPath());
    EXPECT_EQ(ui.directoryOutline->Drive(), QLatin1Char('/'));
}
