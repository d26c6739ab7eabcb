// The outline widget: the view mirrors the tree, expands lazily and follows
// the selection both ways.
#include "cdirectoryoutline.h"
#include "testdirectorysystem.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace quorvane;
using quorvane::test::TestDirectorySystem;

namespace {

// The application lives from before the first test to after the last one and
// goes before the process's static objects do.
class QtApplicationEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "quorvane_cdiroutl_test";
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

class OutlineWidgetTest : public testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        ASSERT_TRUE(temp.isValid());
        root = QDir(temp.path()).canonicalPath();
        for (const char* name : {"b", "A/x", "c"})
            ASSERT_TRUE(QDir(root).mkpath(QString::fromLatin1(name)));
        auto fs = std::make_unique<TestDirectorySystem>(root);
        system = fs.get();
        widget = std::make_unique<TCDirectoryOutline>(nullptr, std::move(fs));
        widget->resize(300, 400);
        widget->show();
    }

    QTemporaryDir temp;
    QString root;
    TestDirectorySystem* system = nullptr;
    std::unique_ptr<TCDirectoryOutline> widget;
};

TEST_F(OutlineWidgetTest, ViewShowsTheDriveAndSelectsTheCurrentDirectory)
{
    QAbstractItemModel* model = widget->model();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("/"));
    EXPECT_EQ(widget->currentIndex().data(Qt::ToolTipRole).toString(), root);
    EXPECT_EQ(widget->Directory(), QLocale().toLower(root));
}

TEST_F(OutlineWidgetTest, ExpandingInTheViewReadsTheLevel)
{
    const QModelIndex current = widget->currentIndex();
    EXPECT_TRUE(widget->model()->hasChildren(current));
    EXPECT_EQ(widget->model()->rowCount(current), 0);
    QSignalSpy expands(widget.get(), &TCDirectoryOutline::OnExpand);
    widget->expand(current);
    ASSERT_EQ(widget->model()->rowCount(current), 3);
    EXPECT_EQ(widget->model()->index(0, 0, current).data().toString(), QStringLiteral("a"));
    EXPECT_EQ(widget->model()->index(2, 0, current).data().toString(), QStringLiteral("c"));
    EXPECT_EQ(expands.count(), 1);
    EXPECT_EQ(system->listings.value(root), 1);
}

TEST_F(OutlineWidgetTest, EmptyLevelLosesItsExpander)
{
    widget->expand(widget->currentIndex());
    const QModelIndex b = widget->model()->index(1, 0, widget->currentIndex());
    ASSERT_TRUE(widget->model()->hasChildren(b));
    widget->expand(b);
    EXPECT_FALSE(widget->model()->hasChildren(b));
    EXPECT_FALSE(widget->isExpanded(b));
}

TEST_F(OutlineWidgetTest, SelectingInTheViewMakesTheDirectoryCurrent)
{
    widget->expand(widget->currentIndex());
    const QModelIndex b = widget->model()->index(1, 0, widget->currentIndex());
    QSignalSpy changes(widget.get(), &TCDirectoryOutline::OnChange);
    widget->setCurrentIndex(b);
    EXPECT_EQ(system->currentDirectory(), root + QStringLiteral("/b"));
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(OutlineWidgetTest, SetDirectoryMovesTheViewAndRebuildKeepsItConsistent)
{
    widget->SetDirectory(root + QStringLiteral("/A/x"));
    EXPECT_EQ(widget->currentIndex().data().toString(), QStringLiteral("x"));
    EXPECT_TRUE(widget->isExpanded(widget->currentIndex().parent()));
    widget->SetTextCase(TTextCase::tcUpperCase);
    EXPECT_EQ(widget->currentIndex().data().toString(), QStringLiteral("X"));
    EXPECT_EQ(widget->currentIndex().parent().data().toString(), QStringLiteral("A"));
}

TEST_F(OutlineWidgetTest, SelectingARemovedDirectoryKeepsTheCurrentOne)
{
    widget->expand(widget->currentIndex());
    const QModelIndex c = widget->model()->index(2, 0, widget->currentIndex());
    ASSERT_TRUE(QDir(root).rmdir(QStringLiteral("c")));
    QSignalSpy failures(widget.get(), &TCDirectoryOutline::failed);
    widget->setCurrentIndex(c);
    // The item is still in the tree: the walk succeeds, only the directory change fails.
    EXPECT_EQ(failures.count(), 0);
    EXPECT_EQ(system->currentDirectory(), root);
}

} // namespace
