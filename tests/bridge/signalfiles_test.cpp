#include "signalfiles.h"

#include "exceptions.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <unistd.h>

namespace quorvane {
namespace {

using test::listTree;
using test::readFile;
using test::TempDir;
using test::writeFile;

const std::string kEurusd = "Symbol=EURUSD,Price=1.0842,Time=2026.12.08 00:15,Signal=0.37)";
const std::string kGbpusd = "Symbol=GBPUSD,Price=1.2710,Time=2026.12.08 00:15,Signal=-0.12)";
const std::string kUsdjpy = "Symbol=USDJPY,Price=147.31,Time=2026.12.08 00:15,Signal=0.05)";

class SignalFilesTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(files()); }
    std::string terminal() const { return m_dir / "mt4"; }
    std::string files() const { return terminal() + "/experts/files"; }
    std::string file(const std::string& name) const { return files() + "/" + name; }

    TempDir m_dir;
};

TEST_F(SignalFilesTest, WritesOneFilePerSymbolWithExactlyTheRecordText)
{
    WriteSignalFiles(terminal(), {kEurusd, kGbpusd, kUsdjpy});

    EXPECT_EQ(listTree(files()), (std::set<std::string>{"EURUSD", "GBPUSD", "USDJPY"}));
    EXPECT_EQ(readFile(file("EURUSD")), kEurusd);
    EXPECT_EQ(readFile(file("GBPUSD")), kGbpusd);
    EXPECT_EQ(readFile(file("USDJPY")), kUsdjpy);
}

TEST_F(SignalFilesTest, ShorterRecordReplacesLongerOldFileLeavingNoTail)
{
    writeFile(file("EURUSD"), kEurusd + "and a long tail left by an older record)");
    const std::string shorter = "Symbol=EURUSD,Signal=0.1)";

    WriteSignalFiles(terminal(), {shorter});

    EXPECT_EQ(readFile(file("EURUSD")), shorter);
}

TEST_F(SignalFilesTest, LongSymbolGivesSixCharacterNameAndLaterRecordWins)
{
    const std::string first = "Symbol=EURUSDm,Signal=0.2)";
    const std::string second = "Symbol=EURUSD.pro,Signal=-0.3)";

    WriteSignalFiles(terminal(), {first, second});

    EXPECT_EQ(listTree(files()), (std::set<std::string>{"EURUSD"}));
    EXPECT_EQ(readFile(file("EURUSD")), second);
}

TEST_F(SignalFilesTest, FolderEndingInSeparatorIsAccepted)
{
    WriteSignalFiles(terminal() + "/", {kGbpusd});

    EXPECT_EQ(readFile(file("GBPUSD")), kGbpusd);
}

TEST_F(SignalFilesTest, MissingFilesFolderIsCannotCreateAndIsNotCreated)
{
    const std::string bare = m_dir / "bare";
    std::filesystem::create_directories(bare + "/experts");

    try {
        WriteSignalFiles(bare, {kEurusd, kGbpusd});
        FAIL() << "no error for a missing experts/files";
    } catch (const EFCreateError& e) {
        EXPECT_STREQ(e.what(), ("Cannot create file " + bare + "/experts/files/EURUSD").c_str());
    }
    EXPECT_FALSE(std::filesystem::exists(bare + "/experts/files"));
    EXPECT_EQ(listTree(bare), (std::set<std::string>{"experts"}));
}

struct UnsafeName {
    const char* label;
    std::string record;
    std::string formedName; // the short name as it appears in the error's path
};

void PrintTo(const UnsafeName& row, std::ostream* os) { *os << row.label; }

class UnsafeShortNameTest : public SignalFilesTest, public ::testing::WithParamInterface<UnsafeName> {};

TEST_P(UnsafeShortNameTest, IsRefusedAsUncreatableAndWritesNothingOutside)
{
    const UnsafeName& row = GetParam();
    const std::set<std::string> before = listTree(m_dir.path());

    try {
        WriteSignalFiles(terminal(), {kEurusd, row.record, kUsdjpy});
        FAIL() << "unsafe name accepted";
    } catch (const EFCreateError& e) {
        EXPECT_STREQ(e.what(), ("Cannot create file " + files() + "/" + row.formedName).c_str());
    }

    // Only the record before the unsafe one is written; nothing anywhere else.
    std::set<std::string> expected = before;
    expected.insert("mt4/experts/files/EURUSD");
    EXPECT_EQ(listTree(m_dir.path()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, UnsafeShortNameTest,
    ::testing::Values(UnsafeName{"ParentThenName", "Symbol=../x,Signal=0.1)", "../x"},
                      UnsafeName{"Parent", "Symbol=..,Signal=0.1)", ".."},
                      UnsafeName{"Self", "Symbol=.,Signal=0.1)", "."},
                      UnsafeName{"Empty", "Price=1.0,Signal=0.1)", ""},
                      UnsafeName{"Slash", "Symbol=a/b,Signal=0.1)", "a/b"},
                      UnsafeName{"LeadingSlash", "Symbol=/tmp,Signal=0.1)", "/tmp"},
                      UnsafeName{"Backslash", "Symbol=..\\x,Signal=0.1)", "..\\x"},
                      UnsafeName{"Nul", std::string("Symbol=EU\0RUSD,Signal=0.1)", 26),
                                 std::string("EU\0RUS", 6)}),
    [](const ::testing::TestParamInfo<UnsafeName>& info) { return std::string(info.param.label); });

TEST_F(SignalFilesTest, DirectoryInPlaceOfSignalFileStopsAtThatRecord)
{
    std::filesystem::create_directory(file("GBPUSD"));

    try {
        WriteSignalFiles(terminal(), {kEurusd, kGbpusd, kUsdjpy});
        FAIL() << "no error for a directory named like the signal file";
    } catch (const EFOpenError& e) {
        EXPECT_STREQ(e.what(), ("Cannot open file " + file("GBPUSD")).c_str());
    }
    EXPECT_EQ(readFile(file("EURUSD")), kEurusd);
    EXPECT_FALSE(std::filesystem::exists(file("USDJPY")));
    // No temporary file is left behind.
    EXPECT_EQ(listTree(files()), (std::set<std::string>{"EURUSD", "GBPUSD"}));
}

TEST_F(SignalFilesTest, ReadOnlySignalFileIsCannotOpenAndKeepsItsContent)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    writeFile(file("EURUSD"), "old)");
    std::filesystem::permissions(file("EURUSD"), std::filesystem::perms::owner_read);

    EXPECT_THROW(WriteSignalFiles(terminal(), {kEurusd}), EFOpenError);
    EXPECT_EQ(readFile(file("EURUSD")), "old)");
    EXPECT_EQ(listTree(files()), (std::set<std::string>{"EURUSD"}));
}

TEST_F(SignalFilesTest, UnwritableFolderIsCannotCreateAndLeavesNoTempFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    std::filesystem::permissions(files(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);

    EXPECT_THROW(WriteSignalFiles(terminal(), {kEurusd}), EFCreateError);
    std::filesystem::permissions(files(), std::filesystem::perms::owner_all);
    EXPECT_TRUE(listTree(files()).empty());
}

TEST_F(SignalFilesTest, LinkNamedLikeSignalFileIsReplacedNotWrittenThrough)
{
    const std::string outside = m_dir / "outside.txt";
    writeFile(outside, "precious");
    std::filesystem::create_symlink(outside, file("EURUSD"));

    WriteSignalFiles(terminal(), {kEurusd});

    EXPECT_EQ(readFile(outside), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(file("EURUSD")));
    EXPECT_EQ(readFile(file("EURUSD")), kEurusd);
}

TEST_F(SignalFilesTest, EmptyTerminalFolderWritesNothing)
{
    // Joined as it is, "" would address "/experts/files" at the root.
    EXPECT_NO_THROW(WriteSignalFiles("", {kEurusd}));
    EXPECT_FALSE(std::filesystem::exists("/experts/files/EURUSD"));
}

TEST_F(SignalFilesTest, DeleteRemovesOnlyEurusd)
{
    WriteSignalFiles(terminal(), {kEurusd, kGbpusd, kUsdjpy});

    DeleteEurusdSignalFile(terminal());

    EXPECT_EQ(listTree(files()), (std::set<std::string>{"GBPUSD", "USDJPY"}));
}

TEST_F(SignalFilesTest, DeleteOfMissingFileOrFolderIsIgnored)
{
    EXPECT_NO_THROW(DeleteEurusdSignalFile(terminal()));
    EXPECT_NO_THROW(DeleteEurusdSignalFile(m_dir / "nowhere"));
}

} // namespace
} // namespace quorvane
