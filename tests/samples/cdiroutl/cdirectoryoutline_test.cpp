// SPDX-License-Identifier: MIT
// Directory outline on a temporary tree: lazy levels, sorting, case forcing,
// path walking and its errors, then the widget's view of the same tree.
#include "samples/cdiroutl/cdirectoryoutline.h"
#include "samples/cdiroutl/directoryoutline.h"

#include "tests/support/qtapp.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quorvane;

namespace {

// The real file system with a current directory of its own (tests never move
// the process) that counts listings and can pretend directories are unreadable.
class TestDirectorySystem : public RealDirectorySystem {
public:
    explicit TestDirectorySystem(QString cwd) : m_cwd(std::move(cwd)) {}
    std::optional<std::vector<DirectoryEntry>> entries(const QString& path) override
    {
        ++listings[path];
        return unreadable.contains(path) ? std::nullopt : RealDirectorySystem::entries(path);
    }
    QString currentDirectory() override { return m_cwd; }
    bool setCurrentDirectory(const QString& path) override
    {
        return QDir(path).exists() ? (m_cwd = path, true) : false;
    }
    QString absolutePath(const QString& path) override { return QDir::cleanPath(QDir(m_cwd).absoluteFilePath(path)); }

    QMap<QString, int> listings;
    QSet<QString> unreadable;

private:
    QString m_cwd;
};

class OutlineTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        root = QDir(temp.path()).canonicalPath();
        // Created out of order on purpose; the outline sorts.
        for (const char* name : {"gamma", "Alpha", "beta", ".dotted", "Alpha/inner", "beta/deep/deeper"})
            ASSERT_TRUE(QDir(root).mkpath(QString::fromLatin1(name)));
        QFile file(root + QStringLiteral("/afile"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        fs = std::make_unique<TestDirectorySystem>(root);
        outline = std::make_unique<DirectoryOutline>(*fs);
        DirectoryOutline::Hooks hooks;
        hooks.changed = [this] { ++changes; };
        outline->setHooks(hooks);
    }

    // Builds the tree down to the temporary root and returns its item.
    int built(TTextCase textCase = TTextCase::tcAsIs)
    {
        outline->setLoading(true);
        outline->SetTextCase(textCase);
        outline->setLoading(false);
        outline->CreateWnd();
        outline->Loaded();
        return outline->SelectedItem();
    }
    QStringList texts(int item) const
    {
        QStringList result;
        for (int child : outline->Children(item))
            result << outline->Text(child);
        return result;
    }
    QString at(const char* relative) const { return root + QLatin1Char('/') + QLatin1String(relative); }
    QString selectedPath() const { return outline->FileSystemPath(outline->SelectedItem()); }

    QTemporaryDir temp;
    QString root;
    std::unique_ptr<TestDirectorySystem> fs;
    std::unique_ptr<DirectoryOutline> outline;
    int changes = 0;
};

} // namespace

TEST_F(OutlineTest, BuildsToTheCurrentDirectoryAndReadsALevelOnceSortedWithoutDotsAndFiles)
{
    fs->unreadable.insert(at("gamma"));
    const int item = built();
    EXPECT_EQ(outline->FileSystemPath(item), root);
    EXPECT_EQ(outline->Text(DirectoryOutline::kDriveItem), QStringLiteral("/"));
    EXPECT_EQ(changes, 1);
    outline->Expand(item);
    outline->SetCollapsed(item);
    outline->Expand(item);
    EXPECT_EQ(texts(item), (QStringList{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(fs->listings.value(root), 1);
    EXPECT_EQ(outline->Text(outline->GetChildNamed(QStringLiteral("ALPHA"), item)), QStringLiteral("Alpha"));
    EXPECT_EQ(outline->GetChildNamed(QStringLiteral("delta"), item), -1);
    // An unreadable directory leaves its level empty and marked read.
    const int gamma = outline->Children(item).back();
    outline->Expand(gamma);
    outline->Expand(gamma);
    EXPECT_TRUE(outline->LevelRead(gamma));
    EXPECT_FALSE(outline->HasChildren(gamma));
    EXPECT_EQ(fs->listings.value(at("gamma")), 1);
}

// Regression: forced case once looked up the forced names on the file system.
TEST_F(OutlineTest, ForcedCaseShowsForcedTextsButKeepsTheRealNames)
{
    const int item = built(TTextCase::tcLowerCase);
    outline->Expand(item);
    EXPECT_EQ(texts(item), (QStringList{"alpha", "beta", "gamma"}));
    const int alpha = outline->Children(item).front();
    EXPECT_EQ(outline->FileSystemPath(alpha), at("Alpha"));
    outline->Expand(alpha);
    EXPECT_EQ(texts(alpha), QStringList{"inner"});
    outline->SetTextCase(TTextCase::tcUpperCase);
    EXPECT_EQ(outline->FullPath(outline->SelectedItem()), QLocale().toUpper(root));
    EXPECT_EQ(selectedPath(), root);
}

// Regression: two directories that differ only in case were taken for one.
TEST_F(OutlineTest, ExactNameWinsOverACaseInsensitiveMatch)
{
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("alpha")));
    built(TTextCase::tcLowerCase);
    outline->SetDirectory(at("alpha"));
    EXPECT_EQ(outline->Name(outline->SelectedItem()), QStringLiteral("alpha"));
    outline->SetDirectory(at("Alpha"));
    EXPECT_EQ(outline->Name(outline->SelectedItem()), QStringLiteral("Alpha"));
}

// Regression: a name found only by ignoring case expanded its parent twice.
TEST_F(OutlineTest, WalkingExpandsEachLevelOnceWhateverTheCase)
{
    built();
    int expansions = 0;
    DirectoryOutline::Hooks hooks;
    hooks.expanding = [&expansions](int) { ++expansions; };
    outline->setHooks(hooks);
    outline->WalkTree(at("ALPHA"));
    EXPECT_EQ(outline->Name(outline->SelectedItem()), QStringLiteral("Alpha"));
    EXPECT_EQ(expansions, 1); // the temporary root, once
}

// Regression: OnExpand fired for every already expanded ancestor of a walk.
TEST_F(OutlineTest, OnExpandFiresOnlyForItemsThatReallyExpand)
{
    built();
    QStringList expanded;
    DirectoryOutline::Hooks hooks;
    hooks.expanding = [&](int item) { expanded << outline->Name(item); };
    outline->setHooks(hooks);
    const QString rootName = QDir(root).dirName();
    struct Row { const char* path; QStringList expected; };
    for (const Row& r : {Row{"Alpha/inner", {rootName, "Alpha"}}, Row{"beta", {}},
                         Row{"beta/deep/deeper", {"beta", "deep"}}, Row{"Alpha", {}}}) {
        SCOPED_TRACE(r.path);
        expanded.clear();
        outline->SetDirectory(at(r.path));
        EXPECT_EQ(expanded, r.expected);
    }
}

TEST_F(OutlineTest, BuildSubTreeDuplicatesAReadLevelAndStopsAtLinkLoops)
{
    ASSERT_TRUE(QFile::link(root, at("gamma/loop")));
    const int item = built();
    outline->Expand(item);
    outline->BuildSubTree(item);
    EXPECT_EQ(texts(item), (QStringList{"Alpha", "Alpha", "beta", "beta", "gamma", "gamma"}));
    // The fresh copies were read all the way down; a link back up is shown but never read.
    const int betaCopy = outline->Children(item)[2];
    ASSERT_EQ(texts(betaCopy), QStringList{"deep"});
    EXPECT_EQ(texts(outline->Children(betaCopy).front()), QStringList{"deeper"});
    const int gammaCopy = outline->Children(item)[4];
    ASSERT_EQ(texts(gammaCopy), QStringList{"loop"});
    EXPECT_FALSE(outline->LevelRead(outline->Children(gammaCopy).front()));
}

TEST_F(OutlineTest, SetDirectoryTakesTrailingSeparatorsDoubleSlashesAndRelativePaths)
{
    built();
    changes = 0;
    outline->SetDirectory(at("beta/"));
    const int beta = outline->SelectedItem();
    EXPECT_EQ(outline->FileSystemPath(beta), at("beta"));
    EXPECT_EQ(fs->currentDirectory(), at("beta"));
    outline->SetDirectory(at("beta"));
    outline->SetDirectory(root + QStringLiteral("//beta"));
    EXPECT_EQ(outline->SelectedItem(), beta);
    EXPECT_EQ(changes, 1);
    outline->SetDirectory(QStringLiteral("deep"));
    EXPECT_EQ(selectedPath(), at("beta/deep"));
    outline->SetDirectory(QStringLiteral(".."));
    EXPECT_EQ(selectedPath(), at("beta"));
}

TEST_F(OutlineTest, MissingDirectoriesAndBadItemsAreErrors)
{
    built();
    outline->SetDirectory(at("beta"));
    const QString directory = outline->Directory();
    const int selected = outline->SelectedItem();
    struct Row { const char* path; const char* message; };
    for (const Row& r : {Row{"nope", "Invalid selection"}, Row{"nope/further", "Outline index not found"},
                         Row{".dotted", "Invalid selection"}}) {
        SCOPED_TRACE(r.path);
        try {
            outline->SetDirectory(at(r.path));
            ADD_FAILURE() << "no error";
        } catch (const EOutlineError& error) {
            EXPECT_STREQ(error.what(), r.message);
        }
        // Refused as a whole: ".dotted" exists, yet neither the outline nor
        // the process moves into it.
        EXPECT_EQ(outline->Directory(), directory);
        EXPECT_EQ(fs->currentDirectory(), at("beta"));
        EXPECT_EQ(outline->SelectedItem(), selected);
    }
    EXPECT_THROW(outline->GetChildNamed(QStringLiteral("x"), -1), EOutlineError);
    for (int item : {-1, outline->ItemCount(), int{DirectoryOutline::kRootItem}})
        EXPECT_THROW(outline->SetSelectedItem(item), EOutlineError) << item;
}

TEST_F(OutlineTest, ClickDriveAndTextCaseSetters)
{
    outline->SetDrive(QLatin1Char('d')); // the first call sets up from the current directory
    EXPECT_EQ(outline->Drive(), QLatin1Char('/'));
    EXPECT_EQ(selectedPath(), root);
    outline->SetSelectedItem(outline->GetChildNamed(QStringLiteral("beta"), outline->SelectedItem()));
    outline->Click();
    EXPECT_EQ(fs->currentDirectory(), at("beta"));
    EXPECT_EQ(outline->Directory(), QLocale().toLower(at("beta"))); // lower case by default
    EXPECT_EQ(changes, 2);
    outline->SetDrive(QLatin1Char('c')); // every letter is the one root: nothing changes
    outline->SetDrive(QLatin1Char('1'));
    outline->SetTextCase(TTextCase::tcLowerCase);
    EXPECT_EQ(changes, 2);
    outline->SetTextCase(TTextCase::tcAsIs);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(DirectoryOutline::DriveToInt(QLatin1Char('A')), 0);
    EXPECT_EQ(DirectoryOutline::DriveToInt(QLatin1Char('c')), 2);
    EXPECT_EQ(DirectoryOutline::DriveToInt(QLatin1Char('/')), 0);
}

TEST_F(OutlineTest, WidgetExpandsLazilyAndFollowsTheSelectionBothWays)
{
    auto owned = std::make_unique<TestDirectorySystem>(root);
    TestDirectorySystem* system = owned.get();
    TCDirectoryOutline widget(nullptr, std::move(owned));
    widget.resize(300, 400);
    widget.show();
    QAbstractItemModel* model = widget.model();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("/"));
    const QModelIndex current = widget.currentIndex();
    EXPECT_EQ(current.data(Qt::ToolTipRole).toString(), root);
    EXPECT_TRUE(model->hasChildren(current));
    EXPECT_EQ(model->rowCount(current), 0);

    QSignalSpy expands(&widget, &TCDirectoryOutline::OnExpand);
    widget.expand(current);
    ASSERT_EQ(model->rowCount(current), 3);
    EXPECT_EQ(model->index(0, 0, current).data().toString(), QStringLiteral("alpha"));
    EXPECT_EQ(expands.count(), 1);
    EXPECT_EQ(system->listings.value(root), 1);
    // Regression: a level read empty kept its expander.
    const QModelIndex gamma = model->index(2, 0, current);
    ASSERT_TRUE(model->hasChildren(gamma));
    widget.expand(gamma);
    EXPECT_FALSE(model->hasChildren(gamma));
    EXPECT_FALSE(widget.isExpanded(gamma));

    QSignalSpy changes(&widget, &TCDirectoryOutline::OnChange);
    widget.setCurrentIndex(model->index(1, 0, current));
    EXPECT_EQ(system->currentDirectory(), at("beta"));
    EXPECT_EQ(changes.count(), 1);
    // A directory removed behind the tree's back: the walk succeeds, the change fails.
    ASSERT_TRUE(QDir(root).rmdir(QStringLiteral("gamma")));
    QSignalSpy failures(&widget, &TCDirectoryOutline::failed);
    widget.setCurrentIndex(gamma);
    EXPECT_EQ(failures.count(), 0);
    EXPECT_EQ(system->currentDirectory(), at("beta"));

    widget.SetDirectory(at("Alpha/inner"));
    EXPECT_EQ(widget.currentIndex().data().toString(), QStringLiteral("inner"));
    EXPECT_TRUE(widget.isExpanded(widget.currentIndex().parent()));
    widget.SetTextCase(TTextCase::tcUpperCase);
    EXPECT_EQ(widget.currentIndex().data().toString(), QStringLiteral("INNER"));
    EXPECT_EQ(widget.currentIndex().parent().data().toString(), QStringLiteral("ALPHA"));
}
