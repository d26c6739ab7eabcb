// SPDX-License-Identifier: MIT
// The file writer: atomic replacement where the folder allows it, writing in
// place where it does not, and what an existing file keeps either way.

#include "core/files.h"

#include "tests/support/scratchfolder.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvane;
using quorvane::test::readFile;
using quorvane::test::ScratchFolder;
using quorvane::test::writeFile;

namespace {

struct stat statOf(const std::string& path)
{
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

bool onlyEntryIs(const ScratchFolder& folder, const std::set<std::string>& names)
{
    return quorvane::test::listTree(folder.path()) == names;
}

} // namespace

TEST(ReplaceFile, NewAndExistingFilesGetTheBytesAndNoTemporaryStays)
{
    ScratchFolder scratch;
    const std::string path = scratch / "quorvane.INI";
    ASSERT_TRUE(replaceFile(path, "first"));
    EXPECT_EQ(readFile(path), "first");
    ASSERT_TRUE(replaceFile(path, "2"));
    EXPECT_EQ(readFile(path), "2"); // shortened, not overlaid
    EXPECT_TRUE(onlyEntryIs(scratch, {"quorvane.INI"}));
}

TEST(ReplaceFile, ExistingFileKeepsModeOwnerAndHardLinks)
{
    ScratchFolder scratch;
    const std::string path = scratch / "quorvane.INI";
    const std::string other = scratch / "other-name";
    writeFile(path, "old");
    ::chmod(path.c_str(), 0640);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), test::kNobody, test::kNoGroup), 0);
    }
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);

    ASSERT_TRUE(replaceFile(path, "new"));
    EXPECT_EQ(readFile(other), "new") << "the other name still sees the old file";
    const struct stat after = statOf(path);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_nlink, 2u);
    if (::geteuid() == 0) {
        EXPECT_EQ(after.st_uid, test::kNobody);
        EXPECT_EQ(after.st_gid, test::kNoGroup);
    }
}

TEST(ReplaceFile, LinksAreFollowedOrReplacedAsAsked)
{
    ScratchFolder scratch;
    const std::string target = scratch / "target";
    const std::string link = scratch / "link";
    writeFile(target, "target");
    ASSERT_EQ(::symlink("target", link.c_str()), 0);

    ASSERT_TRUE(replaceFile(link, "through"));
    EXPECT_TRUE(S_ISLNK(statOf(link).st_mode));
    EXPECT_EQ(readFile(target), "through");

    ReplaceOptions replaceLink;
    replaceLink.links = LinkPolicy::Replace;
    ASSERT_TRUE(replaceFile(link, "own", replaceLink));
    EXPECT_TRUE(S_ISREG(statOf(link).st_mode));
    EXPECT_EQ(readFile(link), "own");
    EXPECT_EQ(readFile(target), "through");
}

TEST(ReplaceFile, ReadOnlyFolderWithWritableFileIsWrittenInPlace)
{
    ScratchFolder scratch;
    ::chmod(scratch.path().c_str(), 0777);
    const std::string folder = scratch / "program";
    const bool ok = test::runUnprivileged([&] {
        const std::string path = folder + "/quorvane.INI";
        if (::mkdir(folder.c_str(), 0755) != 0)
            return false;
        writeFile(path, "old content that is longer");
        ::chmod(folder.c_str(), 0555);
        const FileResult result = replaceFile(path, "new");
        return result && readFile(path) == "new"
               && quorvane::test::listTree(folder) == std::set<std::string>{"quorvane.INI"};
    });
    ::chmod(folder.c_str(), 0755);
    EXPECT_TRUE(ok);
}

TEST(ReplaceFile, RefusalsNameTheStepAndKeepTheOldContent)
{
    ScratchFolder scratch;
    ::chmod(scratch.path().c_str(), 0777);
    const bool ok = test::runUnprivileged([&] {
        const std::string readOnly = scratch / "read-only";
        writeFile(readOnly, "kept");
        ::chmod(readOnly.c_str(), 0444);
        const FileResult refused = replaceFile(readOnly, "x");
        const FileResult noFolder = replaceFile(scratch / "missing/file", "x");
        return refused.failed == FileStep::Open && readFile(readOnly) == "kept"
               && noFolder.failed == FileStep::Create && noFolder.error == ENOENT;
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(replaceFile(scratch.path(), "x").failed, FileStep::Open) << "a folder is not a file";
}

TEST(ReplaceFile, OwnerIsSetBeforeTheModeSoSetIdBitsStay)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give the file to another user";
    ScratchFolder scratch;
    const std::string path = scratch / "quorvane.INI";
    writeFile(path, "old");
    ASSERT_EQ(::chown(path.c_str(), test::kNobody, test::kNoGroup), 0);
    ASSERT_EQ(::chmod(path.c_str(), 06750), 0);
    ASSERT_TRUE(replaceFile(path, "new"));
    EXPECT_EQ(statOf(path).st_mode & 07777, 06750u);
    EXPECT_EQ(statOf(path).st_uid, test::kNobody);
}

TEST(ReplaceFile, NameTooLongForATemporaryIsWrittenInPlace)
{
    ScratchFolder scratch;
    const std::string path = scratch / std::string(250, 'n');
    writeFile(path, "old");
    ASSERT_TRUE(replaceFile(path, "new"));
    EXPECT_EQ(readFile(path), "new");
}

TEST(ReplaceFile, ReplaceSplitsAHardLinkAndAtomicOnlyRefusesAClosedFolder)
{
    ScratchFolder scratch;
    ::chmod(scratch.path().c_str(), 0777);
    ReplaceOptions replaceOnly;
    replaceOnly.links = LinkPolicy::Replace;
    replaceOnly.mayWriteInPlace = false;
    const bool ok = test::runUnprivileged([&] {
        const std::string folder = scratch / "files";
        const std::string path = folder + "/EURUSD";
        const std::string other = scratch / "elsewhere";
        if (::mkdir(folder.c_str(), 0755) != 0)
            return false;
        writeFile(path, "old)");
        ReplaceOptions replace;
        replace.links = LinkPolicy::Replace;
        const bool split = ::link(path.c_str(), other.c_str()) == 0 && replaceFile(path, "new)", replace)
                           && readFile(path) == "new)" && readFile(other) == "old)" && statOf(path).st_nlink == 1;
        ::chmod(folder.c_str(), 0555);
        const FileResult closed = replaceFile(path, "newer)", replaceOnly);
        ::chmod(folder.c_str(), 0755);
        return split && closed.failed == FileStep::Create && readFile(path) == "new)";
    });
    EXPECT_TRUE(ok);
}

TEST(ReadFile, ReadsRegularFilesOnlyAndNeverBlocks)
{
    ScratchFolder scratch;
    writeFile(scratch / "a", std::string(20000, 'a'));
    ASSERT_EQ(::mkfifo((scratch / "fifo").c_str(), 0600), 0);
    std::string bytes = "stale";
    ASSERT_TRUE(quorvane::readFile(scratch / "a", bytes));
    EXPECT_EQ(bytes, std::string(20000, 'a'));
    const FileResult missing = quorvane::readFile(scratch / "missing", bytes);
    EXPECT_EQ(missing.failed, FileStep::Open);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(quorvane::readFile(scratch / "fifo", bytes).failed, FileStep::Open);
    EXPECT_EQ(quorvane::readFile(scratch.path(), bytes).failed, FileStep::Open);
}

TEST(AppendToFile, CreatesThenAppendsAndTellsOpenFromCreate)
{
    ScratchFolder scratch;
    const std::string path = scratch / "error_log.txt";
    ASSERT_TRUE(appendToFile(path, "one\n"));
    ASSERT_TRUE(appendToFile(path, "two\n"));
    EXPECT_EQ(readFile(path), "one\ntwo\n");
    EXPECT_EQ(appendToFile(scratch / "missing/error_log.txt", "x").failed, FileStep::Create);
    EXPECT_EQ(appendToFile(scratch.path(), "x").failed, FileStep::Open);
}

TEST(AppendToFile, FifoInTheLogsPlaceIsRefusedWithoutBlocking)
{
    // An error_log.txt replaced by a FIFO used to hang the poll in open() for
    // good, or feed whoever listens. Without a reader, and with one.
    ScratchFolder scratch;
    const std::string fifo = scratch / "error_log.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(appendToFile(fifo, "line\n").failed, FileStep::Open);
    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0) << "nothing may reach the reader";
    ::close(reader);
    EXPECT_EQ(appendToFile(fifo, "line\n").failed, FileStep::Open);
}
