// The directory tree without a window, on a temporary directory tree.
#include "directoryoutline.h"
#include "testdirectorysystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quorvane;
using quorvane::test::TestDirectorySystem;

namespace {

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
        outline->setHooks(countingHooks());
    }

    DirectoryOutline::Hooks countingHooks()
    {
        DirectoryOutline::Hooks hooks;
        hooks.changed = [this] { ++changes; };
        return hooks;
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

    QTemporaryDir temp;
    QString root;
    std::unique_ptr<TestDirectorySystem> fs;
    std::unique_ptr<DirectoryOutline> outline;
    int changes = 0;
};

TEST_F(OutlineTest, BuildsDownToTheCurrentDirectoryAndSelectsIt)
{
    const int item = built();
    EXPECT_EQ(outline->FileSystemPath(item), root);
    EXPECT_EQ(outline->Text(DirectoryOutline::kDriveItem), QStringLiteral("/"));
    EXPECT_EQ(outline->Drive(), QLatin1Char('/'));
    EXPECT_EQ(changes, 1);
}

TEST_F(OutlineTest, ChildrenSortIgnoringCaseWithoutDotsAndFiles)
{
    const int item = built();
    outline->Expand(item);
    EXPECT_EQ(texts(item), (QStringList{"Alpha", "beta", "gamma"}));
}

TEST_F(OutlineTest, LowerCaseShowsForcedNamesButKeepsTheRealOnes)
{
    const int item = built(TTextCase::tcLowerCase);
    outline->Expand(item);
    EXPECT_EQ(texts(item), (QStringList{"alpha", "beta", "gamma"}));
    const int alpha = outline->Children(item).front();
    EXPECT_EQ(outline->Name(alpha), QStringLiteral("Alpha"));
    EXPECT_EQ(outline->FileSystemPath(alpha), root + QStringLiteral("/Alpha"));
    outline->Expand(alpha);
    EXPECT_EQ(texts(alpha), QStringList{"inner"});
}

TEST_F(OutlineTest, UpperCaseForcesTextsAndPaths)
{
    const int item = built(TTextCase::tcUpperCase);
    outline->Expand(item);
    EXPECT_EQ(texts(item), (QStringList{"ALPHA", "BETA", "GAMMA"}));
    EXPECT_EQ(outline->Directory(), QLocale().toUpper(root));
    EXPECT_EQ(outline->FullPath(item), QLocale().toUpper(root));
}

TEST_F(OutlineTest, ExpandingTwiceReadsOnce)
{
    const int item = built();
    outline->Expand(item);
    outline->SetCollapsed(item);
    outline->Expand(item);
    EXPECT_EQ(fs->listings.value(root), 1);
    EXPECT_EQ(outline->Children(item).size(), 3u);
}

TEST_F(OutlineTest, BuildSubTreeOnAReadItemDuplicatesItsChildren)
{
    const int item = built();
    outline->Expand(item);
    outline->BuildSubTree(item);
    EXPECT_EQ(texts(item), (QStringList{"Alpha", "Alpha", "beta", "beta", "gamma", "gamma"}));
    // The fresh copies were read one level deeper all the way down.
    const int betaCopy = outline->Children(item)[2];
    ASSERT_EQ(texts(betaCopy), QStringList{"deep"});
    EXPECT_EQ(texts(outline->Children(betaCopy).front()), QStringList{"deeper"});
}

TEST_F(OutlineTest, BuildSubTreeStopsAtLinkLoops)
{
    ASSERT_TRUE(QFile::link(root, root + QStringLiteral("/gamma/loop")));
    const int item = built();
    outline->BuildSubTree(item);
    int gamma = -1;
    for (int child : outline->Children(item))
        if (outline->Text(child) == QLatin1String("gamma"))
            gamma = child;
    ASSERT_NE(gamma, -1);
    ASSERT_EQ(texts(gamma), QStringList{"loop"});
    // The link is shown but never read: it leads back up.
    EXPECT_FALSE(outline->LevelRead(outline->Children(gamma).front()));
}

TEST_F(OutlineTest, TrailingSeparatorIsTheSameDirectory)
{
    built();
    changes = 0;
    outline->SetDirectory(root + QStringLiteral("/beta/"));
    const int selected = outline->SelectedItem();
    EXPECT_EQ(outline->FileSystemPath(selected), root + QStringLiteral("/beta"));
    EXPECT_EQ(changes, 1);
    outline->SetDirectory(root + QStringLiteral("/beta"));
    EXPECT_EQ(outline->SelectedItem(), selected);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(fs->currentDirectory(), root + QStringLiteral("/beta"));
}

TEST_F(OutlineTest, RelativePathsResolveFromTheCurrentDirectory)
{
    built();
    outline->SetDirectory(QStringLiteral("beta/deep"));
    EXPECT_EQ(outline->FileSystemPath(outline->SelectedItem()), root + QStringLiteral("/beta/deep"));
    outline->SetDirectory(QStringLiteral(".."));
    EXPECT_EQ(outline->FileSystemPath(outline->SelectedItem()), root + QStringLiteral("/beta"));
}

TEST_F(OutlineTest, MissingLastNameIsAnInvalidSelection)
{
    built();
    try {
        outline->SetDirectory(root + QStringLiteral("/nope"));
        FAIL() << "no error";
    } catch (const EOutlineError& error) {
        EXPECT_STREQ(error.what(), "Invalid selection");
    }
}

TEST_F(OutlineTest, MissingInnerNameIsAnIndexNotFound)
{
    built();
    try {
        outline->SetDirectory(root + QStringLiteral("/nope/further"));
        FAIL() << "no error";
    } catch (const EOutlineError& error) {
        EXPECT_STREQ(error.what(), "Outline index not found");
    }
}

TEST_F(OutlineTest, HiddenDirectoriesCannotBeWalkedInto)
{
    built();
    EXPECT_THROW(outline->SetDirectory(root + QStringLiteral("/.dotted")), EOutlineError);
}

TEST_F(OutlineTest, ExactNameWinsOverACaseInsensitiveMatch)
{
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("alpha")));
    built(TTextCase::tcLowerCase);
    outline->SetDirectory(root + QStringLiteral("/alpha"));
    EXPECT_EQ(outline->Name(outline->SelectedItem()), QStringLiteral("alpha"));
    outline->SetDirectory(root + QStringLiteral("/Alpha"));
    EXPECT_EQ(outline->Name(outline->SelectedItem()), QStringLiteral("Alpha"));
}

TEST_F(OutlineTest, GetChildNamedIgnoresCase)
{
    const int item = built();
    const int found = outline->GetChildNamed(QStringLiteral("ALPHA"), item);
    ASSERT_NE(found, -1);
    EXPECT_EQ(outline->Text(found), QStringLiteral("Alpha"));
    EXPECT_EQ(outline->GetChildNamed(QStringLiteral("delta"), item), -1);
    EXPECT_THROW(outline->GetChildNamed(QStringLiteral("x"), -1), EOutlineError);
}

TEST_F(OutlineTest, UnreadableDirectoryLeavesAnEmptyReadLevel)
{
    fs->unreadable.insert(root + QStringLiteral("/gamma"));
    const int item = built();
    const int gamma = outline->GetChildNamed(QStringLiteral("gamma"), item);
    outline->Expand(gamma);
    EXPECT_TRUE(outline->LevelRead(gamma));
    EXPECT_FALSE(outline->HasChildren(gamma));
    outline->Expand(gamma);
    EXPECT_EQ(fs->listings.value(root + QStringLiteral("/gamma")), 1);
}

TEST_F(OutlineTest, ClickMakesTheSelectedDirectoryCurrent)
{
    const int item = built();
    const int beta = outline->GetChildNamed(QStringLiteral("beta"), item);
    outline->SetSelectedItem(beta);
    changes = 0;
    outline->Click();
    EXPECT_EQ(fs->currentDirectory(), root + QStringLiteral("/beta"));
    EXPECT_EQ(outline->Directory(), root + QStringLiteral("/beta"));
    EXPECT_EQ(changes, 1);
}

TEST_F(OutlineTest, DriveLettersNameTheOneRoot)
{
    built();
    changes = 0;
    outline->SetDrive(QLatin1Char('c'));
    outline->SetDrive(QLatin1Char('1'));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(DirectoryOutline::DriveToInt(QLatin1Char('A')), 0);
    EXPECT_EQ(DirectoryOutline::DriveToInt(QLatin1Char('c')), 2);
    EXPECT_EQ(DirectoryOutline::DriveToInt(QLatin1Char('/')), 0);
}

TEST_F(OutlineTest, SetDriveBeforeCreationBuildsFromTheCurrentDirectory)
{
    outline->SetDrive(QLatin1Char('d'));
    EXPECT_EQ(outline->Drive(), QLatin1Char('/'));
    EXPECT_EQ(outline->FileSystemPath(outline->SelectedItem()), root);
    EXPECT_EQ(changes, 1);
}

TEST_F(OutlineTest, SettingTheSameTextCaseDoesNothing)
{
    built(TTextCase::tcAsIs);
    changes = 0;
    outline->SetTextCase(TTextCase::tcAsIs);
    EXPECT_EQ(changes, 0);
    outline->SetTextCase(TTextCase::tcLowerCase);
    EXPECT_EQ(changes, 1);
}

TEST_F(OutlineTest, InvalidSelectionIsRefused)
{
    built();
    EXPECT_THROW(outline->SetSelectedItem(-1), EOutlineError);
    EXPECT_THROW(outline->SetSelectedItem(outline->ItemCount()), EOutlineError);
    EXPECT_THROW(outline->SetSelectedItem(DirectoryOutline::kRootItem), EOutlineError);
}

} // namespace
