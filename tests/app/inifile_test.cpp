// SPDX-License-Identifier: MIT
#include "app/inifile.h"

#include "core/exceptions.h"
#include "tests/support/scratchfolder.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <vector>

namespace quorvane {
namespace {

using test::nobodyOrUs;
using test::Ownership;
using test::listTree;
using test::runAsOrdinaryUser;
using test::readFile;
using test::ScratchFolder;
using test::writeFile;

std::string writeError(TIniFile& ini, const std::string& section, const std::string& key, const std::string& value)
{
    try {
        ini.WriteString(section, key, value);
    } catch (const Exception& e) {
        return e.what();
    }
    return "no exception";
}

TEST(IniFileTest, FirstRunReadsDefaultsThenWritesKeysInOrderWithCrLf)
{
    ScratchFolder folder;
    TIniFile ini(folder / "quorvane.INI");
    EXPECT_TRUE(ini.ReadBool("Form", "hint", true));
    EXPECT_EQ(ini.ReadInteger("Form", "MaxS", 25), 25);
    EXPECT_EQ(ini.ReadString("Form", "mt4-path", "x"), "x");
    EXPECT_FALSE(std::filesystem::exists(ini.FileName()));
    ini.WriteBool("Form", "sound", false);
    ini.WriteBool("Form", "hint", true);
    ini.WriteInteger("Form", "MaxS", 25);
    ini.WriteString("Form", "mt4-path", "/home/trader/mt4");
    EXPECT_EQ(readFile(ini.FileName()), "[Form]\r\nsound=0\r\nhint=1\r\nMaxS=25\r\nmt4-path=/home/trader/mt4\r\n");
    EXPECT_EQ(ini.ReadString("Form", "mt4-path", ""), "/home/trader/mt4");
}

TEST(IniFileTest, WriteChangesOnlyItsOwnLine)
{
    const std::string before = "; by hand\r\n[Other]\r\n  Odd Key = spaced  \r\nMaxS=9\r\n\r\n";
    const std::string after = "\r\n[Tail]\r\nMaxS=77\r\nno equals sign\r\n";
    const struct {
        const char* name;
        std::string found, written;
    } rows[] = {
        {"OtherSectionsStayByteForByte", before + "[Form]\r\n; note\r\nhint=0\r\n" + after,
         before + "[Form]\r\n; note\r\nhint=0\r\nMaxS=5\r\n" + after},
        {"NamesMatchWithoutCaseAndKeepTheirSpelling", "[FORM]\r\nmaxs=40\r\nLast=z\r\n", "[FORM]\r\nmaxs=5\r\nLast=z\r\n"},
        {"FirstOfDuplicatesIsRewritten", "[Form]\nMaxS=10\nMaxS=20\n[Form]\nMaxS=30\n",
         "[Form]\nMaxS=5\nMaxS=20\n[Form]\nMaxS=30\n"},
        {"LfStaysLfAndNewKeyGoesBeforeBlankLines", "[Form]\nsound=1\n\n\n[Next]\na=b\n",
         "[Form]\nsound=1\nMaxS=5\n\n\n[Next]\na=b\n"},
        {"NewSectionFollowsCrLf", "[Next]\r\na=b\r\n", "[Next]\r\na=b\r\n[Form]\r\nMaxS=5\r\n"},
        {"LastLineGetsItsBreakInSection", "[Form]\r\nsound=1", "[Form]\r\nsound=1\r\nMaxS=5\r\n"},
        {"LastLineGetsItsBreakBeforeNewSection", "[Other]\nx=1", "[Other]\nx=1\n[Form]\nMaxS=5\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        writeFile(folder / "q.INI", row.found);
        TIniFile ini(folder / "q.INI");
        ini.WriteInteger("Form", "MaxS", 5);
        EXPECT_EQ(readFile(ini.FileName()), row.written);
        EXPECT_EQ(ini.ReadInteger("Form", "MaxS", 0), 5);
    }
}

TEST(IniFileTest, ReadsIntegersWithHexPrefixesOrTheDefault)
{
    const struct {
        const char* stored;
        int def, expected;
    } rows[] = {
        {"yes", 1, 1}, {"2", 1, 2}, {"0x0", 1, 0}, {"", 25, 25}, {"+7", 0, 7}, {"   42  ", 0, 42}, {"\"42\"", 0, 42},
        {"$1F", 0, 31}, {"0X1f", 0, 31}, {"0x", 7, 7}, {"-$10", 0, -16}, {"$FFFFFFFF", 0, -1}, {"$100000000", 5, 5},
        {"12abc", 3, 3}, {"1 2", 3, 3}, {"0.5", 9, 9}, {"2147483647", 0, 2147483647}, {"2147483648", 9, 9},
        {"-2147483648", 0, -2147483647 - 1},
    };
    ScratchFolder folder;
    std::string content = "[Form]\r\n";
    for (std::size_t i = 0; i < std::size(rows); ++i)
        content += "k" + std::to_string(i) + "=" + rows[i].stored + "\r\n";
    writeFile(folder / "q.INI", content);
    const TIniFile ini(folder / "q.INI");
    EXPECT_EQ(ini.ReadInteger("Form", "absent", 4), 4);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].stored);
        EXPECT_EQ(ini.ReadInteger("Form", "k" + std::to_string(i), rows[i].def), rows[i].expected);
        EXPECT_EQ(ini.ReadBool("Form", "k" + std::to_string(i), rows[i].def != 0), rows[i].expected != 0);
    }
}

TEST(IniFileTest, TextIsTrimmedUnquotedAndReadCutAt2047)
{
    ScratchFolder folder;
    writeFile(folder / "q.INI", "[Form]\r\n  Odd Key = spaced  \r\nquoted= \"  kept  \" \r\nsingle='x'\r\n"
                                "half=\"x\r\ninner=a = b\r\n");
    TIniFile ini(folder / "q.INI");
    EXPECT_EQ(ini.ReadString("form", "odd key", ""), "spaced");
    EXPECT_EQ(ini.ReadString("Form", "quoted", ""), "  kept  ");
    EXPECT_EQ(ini.ReadString("Form", "single", ""), "x");
    EXPECT_EQ(ini.ReadString("Form", "half", ""), "\"x");
    EXPECT_EQ(ini.ReadString("Form", "inner", ""), "a = b");
    const std::string longText(2100, 'p');
    ini.WriteString("Form", "mt4-path", longText);
    EXPECT_NE(readFile(ini.FileName()).find("mt4-path=" + longText + "\r\n"), std::string::npos);
    EXPECT_EQ(ini.ReadString("Form", "mt4-path", ""), longText.substr(0, 2047));
}

TEST(IniFileTest, UnwritablePlacesAndLineBreaksReportUnableToWrite)
{
    ScratchFolder folder;
    ASSERT_EQ(::mkfifo((folder / "fifo.INI").c_str(), 0600), 0);
    // /proc refuses new files even to root; a FIFO must neither block nor be replaced.
    for (const std::string& path : {folder / "gone/q.INI", std::string("/proc/quorvane-test.INI"), folder / "fifo.INI"}) {
        SCOPED_TRACE(path);
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadInteger("Form", "MaxS", 25), 25);
        EXPECT_EQ(writeError(ini, "Form", "mt4-path", "x"), "Unable to write to " + path);
    }
    struct stat info {};
    ASSERT_EQ(::stat((folder / "fifo.INI").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    writeFile(folder / "q.INI", "[Form]\r\nMaxS=25\r\n");
    TIniFile ini(folder / "q.INI");
    for (const std::string& bad : {std::string("a\r\nMaxS=1"), std::string("a\n[Evil]"), std::string("a\0b", 3)})
        EXPECT_EQ(writeError(ini, "Form", "MaxS", bad), "Unable to write to " + ini.FileName()) << bad;
    EXPECT_THROW(ini.WriteString("Form]\n[X", "k", "v"), Exception);
    EXPECT_THROW(ini.WriteString("Form", "a=b", "v"), Exception);
    EXPECT_EQ(readFile(ini.FileName()), "[Form]\r\nMaxS=25\r\n");
}

// A read-only program folder must not stop a settings file that may be
// written from being saved; what may not be written is reported and kept.
// The writer is an ordinary user who owns the folder.
TEST(IniFileTest, ReadOnlyFolderWritesThroughAWritableFileAndReportsTheRest)
{
    const std::optional<Ownership> user = nobodyOrUs();
    if (!user)
        GTEST_SKIP() << "no user \"nobody\" to drop root's rights to, and root ignores permission bits";
    const std::string before = "[Other]\r\nkeep=me\r\n[Form]\r\nMaxS=25\r\n";
    const struct {
        const char* name;
        mode_t folderMode;
        std::optional<mode_t> fileMode; // none: no file
        bool othersFile;                // the file belongs to root, not to the writer
        const char* result;             // "ok" or the error
    } rows[] = {
        {"ReadOnlyFolderWritableFile", 0555, 0644, false, "ok"},
        {"ReadOnlyFolderFileOfAnotherWritableToAll", 0555, 0666, true, "ok"},
        {"ReadOnlyFolderReadOnlyFile", 0555, 0444, false, "Unable to write to "},
        {"ReadOnlyFolderNoFile", 0555, std::nullopt, false, "Unable to write to "},
        {"UnreadableFileWouldBeWiped", 0755, 0200, false, "Unable to write to "},
        {"WritableFolderFileOfAnother", 0777, 0666, true, "ok"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.othersFile && ::geteuid() != 0) {
            std::printf("skipped %s: only root can give the file to another user\n", row.name);
            continue;
        }
        ScratchFolder scratch;
        ::chmod(scratch.path().c_str(), 0755);
        const std::string folder = scratch / "program";
        const std::string path = folder + "/quorvane.INI";
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        ASSERT_EQ(::chown(folder.c_str(), user->uid, user->gid), 0);
        if (row.fileMode) {
            writeFile(path, before);
            if (!row.othersFile) {
                ASSERT_EQ(::chown(path.c_str(), user->uid, user->gid), 0);
            }
            ASSERT_EQ(::chmod(path.c_str(), *row.fileMode), 0);
        }
        ASSERT_EQ(::chmod(folder.c_str(), row.folderMode), 0);
        struct stat old {};
        ::stat(path.c_str(), &old);

        const std::string result = runAsOrdinaryUser([&] {
            TIniFile ini(path);
            const std::string error = writeError(ini, "Form", "MaxS", "7");
            return error == "no exception" ? std::string("ok") : error;
        });

        if (std::string(row.result) == "ok") {
            EXPECT_EQ(result, "ok");
            EXPECT_EQ(readFile(path), "[Other]\r\nkeep=me\r\n[Form]\r\nMaxS=7\r\n");
            struct stat now {};
            ASSERT_EQ(::stat(path.c_str(), &now), 0);
            EXPECT_EQ(now.st_uid, old.st_uid) << "the owner must stay";
            EXPECT_EQ(now.st_gid, old.st_gid) << "the group must stay";
            EXPECT_EQ(now.st_mode & 07777, old.st_mode & 07777);
        } else {
            EXPECT_EQ(result, row.result + path);
            EXPECT_EQ(readFile(path), row.fileMode ? before : "");
        }
        EXPECT_EQ(listTree(folder), row.fileMode ? std::set<std::string>{"quorvane.INI"} : std::set<std::string>{})
            << "no temporary file may stay behind";
    }
}

TEST(IniFileTest, HardLinkedFileStaysOneFileWithItsModeWhetherTheTextGrowsOrShrinks)
{
    ScratchFolder folder;
    writeFile(folder / "q.INI", "[Form]\r\nmt4-path=/a/rather/long/terminal/folder\r\n");
    ASSERT_EQ(::chmod((folder / "q.INI").c_str(), 0604), 0);
    ASSERT_EQ(::link((folder / "q.INI").c_str(), (folder / "other-name.INI").c_str()), 0);
    struct stat old {};
    ASSERT_EQ(::stat((folder / "q.INI").c_str(), &old), 0);
    TIniFile ini(folder / "q.INI");
    for (const std::string value : {"/short", "/a/much/longer/terminal/folder/than/the/one/before"}) {
        SCOPED_TRACE(value);
        ini.WriteString("Form", "mt4-path", value);
        const std::string expected = "[Form]\r\nmt4-path=" + value + "\r\n";
        EXPECT_EQ(readFile(folder / "q.INI"), expected);
        EXPECT_EQ(readFile(folder / "other-name.INI"), expected) << "the link was broken";
        struct stat now {};
        ASSERT_EQ(::stat((folder / "q.INI").c_str(), &now), 0);
        EXPECT_EQ(now.st_ino, old.st_ino);
        EXPECT_EQ(now.st_nlink, 2u);
        EXPECT_EQ(now.st_mode & 07777, 0604u);
    }
    EXPECT_EQ(listTree(folder.path()), (std::set<std::string>{"other-name.INI", "q.INI"}));
}

TEST(IniFileTest, WriteKeepsModeAndSymbolicLinkAndLeavesNoTemporaryFiles)
{
    ScratchFolder folder;
    writeFile(folder / "real.INI", "[Form]\r\nMaxS=1\r\n");
    ::chmod((folder / "real.INI").c_str(), 0640);
    ASSERT_EQ(::symlink("real.INI", (folder / "link.INI").c_str()), 0);
    TIniFile ini(folder / "link.INI");
    ini.WriteInteger("Form", "MaxS", 2);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.INI"));
    EXPECT_EQ(readFile(folder / "real.INI"), "[Form]\r\nMaxS=2\r\n");
    struct stat info {};
    ASSERT_EQ(::stat((folder / "real.INI").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 2);
}

} // namespace
} // namespace quorvane
