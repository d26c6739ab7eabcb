// SPDX-License-Identifier: MIT
// Signal files: exactly the newest record per short name, replaced in one step,
// never outside experts/files, and the failures that end the writing.

#include "bridge/signalfiles.h"

#include "core/exceptions.h"
#include "tests/support/scratchfolder.h"
#include "tests/support/unprivileged.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace quorvane {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Names = std::set<std::string>;

const std::string kEurusd = "Symbol=EURUSD,Price=1.0842,Time=2026.12.08 00:15,Signal=0.37)";
const std::string kGbpusd = "Symbol=GBPUSD,Price=1.2710,Time=2026.12.08 00:15,Signal=-0.12)";
const std::string kUsdjpy = "Symbol=USDJPY,Price=147.31,Time=2026.12.08 00:15,Signal=0.05)";

class SignalFiles : public ::testing::Test {
protected:
    SignalFiles() { fs::create_directories(files()); }
    std::string terminal() const { return m_dir / "mt4"; }
    std::string files() const { return terminal() + "/experts/files"; }
    std::string file(const std::string& name) const { return files() + "/" + name; }
    // The message of the error that ends the writing, "" when there is none.
    static std::string write(const std::string& folder, const std::vector<std::string>& records) try {
        WriteSignalFiles(folder, records);
        return "";
    } catch (const Exception& error) {
        return error.what();
    }

    static std::string listTargets(const std::vector<TerminalTarget>& targets, const std::vector<std::string>& records) try {
        WriteSignalFiles(targets, records);
        return "";
    } catch (const Exception& error) {
        return error.what();
    }

    ScratchFolder m_dir;
};

TEST_F(SignalFiles, HoldExactlyTheNewestRecordPerShortName)
{
    writeFile(file("EURUSD"), kEurusd + "and a long tail left by an older record)");
    const std::string gbpusdPro = "Symbol=GBPUSD.pro,Signal=-0.3)"; // six characters name the file

    EXPECT_EQ(write(terminal(), {kEurusd, kGbpusd, kUsdjpy, gbpusdPro}), "");
    EXPECT_EQ(listTree(files()), Names({"EURUSD", "GBPUSD", "USDJPY"}));
    EXPECT_EQ(readFile(file("EURUSD")), kEurusd);
    EXPECT_EQ(readFile(file("GBPUSD")), gbpusdPro);
    EXPECT_EQ(readFile(file("USDJPY")), kUsdjpy);

    EXPECT_EQ(write(terminal() + "/", {kGbpusd}), "") << "a folder ending in a separator";
    EXPECT_EQ(readFile(file("GBPUSD")), kGbpusd);
}

TEST_F(SignalFiles, MissingFilesFolderIsCannotCreateAndIsNotCreated)
{
    const std::string bare = m_dir / "bare";
    fs::create_directories(bare + "/experts");
    EXPECT_EQ(write(bare, {kEurusd, kGbpusd}), "Cannot create file " + bare + "/experts/files/EURUSD");
    EXPECT_EQ(listTree(bare), Names({"experts"}));
}

TEST_F(SignalFiles, UnsafeShortNameIsCannotCreateAndWritesNothingOutside)
{
    const struct {
        std::string record, name; // the short name as the error's path shows it
    } rows[] = {{"Symbol=../x,Signal=0.1)", "../x"}, {"Symbol=..,Signal=0.1)", ".."},
                {"Symbol=.,Signal=0.1)", "."},       {"Price=1.0,Signal=0.1)", ""},
                {"Symbol=a/b,Signal=0.1)", "a/b"},   {"Symbol=/tmp,Signal=0.1)", "/tmp"},
                {"Symbol=..\\x,Signal=0.1)", "..\\x"},
                {std::string("Symbol=EU\0RUSD,Signal=0.1)", 26), std::string("EU\0RUS", 6)}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.record);
        fs::remove_all(files());
        fs::create_directories(files());
        // The message, a C string, ends at a NUL.
        EXPECT_STREQ(write(terminal(), {kEurusd, row.record, kUsdjpy}).c_str(),
                     ("Cannot create file " + file(row.name)).c_str());
        // Only the record before the unsafe one is written; nothing anywhere else.
        EXPECT_EQ(listTree(m_dir.path()),
                  Names({"mt4", "mt4/experts", "mt4/experts/files", "mt4/experts/files/EURUSD"}));
    }
}

TEST_F(SignalFiles, FileThatMayNotBeReplacedIsCannotOpenAndStopsThereWithoutTempFile)
{
    fs::create_directory(file("GBPUSD"));
    EXPECT_EQ(write(terminal(), {kEurusd, kGbpusd, kUsdjpy}), "Cannot open file " + file("GBPUSD"));
    EXPECT_EQ(listTree(files()), Names({"EURUSD", "GBPUSD"}));
    EXPECT_EQ(readFile(file("EURUSD")), kEurusd);
}

TEST_F(SignalFiles, PermissionsRefusedLeaveOldContentAndNoTempFile)
{
    writeFile(file("EURUSD"), "old)");
    // Permissions do not bind the superuser: the writes run as an ordinary user.
    const std::string refusals = runAsOrdinaryUser([&] {
        fs::permissions(file("EURUSD"), fs::perms::owner_read);
        std::string out = write(terminal(), {kEurusd}) + "\n";
        fs::permissions(files(), fs::perms::owner_read | fs::perms::owner_exec);
        out += write(terminal(), {kGbpusd});
        fs::permissions(files(), fs::perms::owner_all);
        return out;
    }, m_dir.path());
    EXPECT_EQ(refusals, "Cannot open file " + file("EURUSD") + "\nCannot create file " + file("GBPUSD"));
    EXPECT_EQ(readFile(file("EURUSD")), "old)");
    EXPECT_EQ(listTree(files()), Names({"EURUSD"}));
}

TEST_F(SignalFiles, LinkNamedLikeSignalFileIsReplacedNotWrittenThrough)
{
    writeFile(m_dir / "outside.txt", "precious");
    fs::create_symlink(m_dir / "outside.txt", file("EURUSD"));
    EXPECT_EQ(write(terminal(), {kEurusd}), "");
    EXPECT_EQ(readFile(m_dir / "outside.txt"), "precious");
    EXPECT_FALSE(fs::is_symlink(file("EURUSD")));
    EXPECT_EQ(readFile(file("EURUSD")), kEurusd);
}

TEST_F(SignalFiles, DeleteRemovesOnlyEurusdAndIgnoresFailure)
{
    ASSERT_EQ(write(terminal(), {kEurusd, kGbpusd, kUsdjpy}), "");
    deleteEurusdSignalFile(terminal());
    EXPECT_EQ(listTree(files()), Names({"GBPUSD", "USDJPY"}));
    EXPECT_NO_THROW(deleteEurusdSignalFile(terminal()));
    EXPECT_NO_THROW(deleteEurusdSignalFile(m_dir / "nowhere"));
}

TEST_F(SignalFiles, EveryTargetIsWrittenAndABrokenOneDoesNotStarveTheOthers)
{
    const std::string data = m_dir / "data/MQL4/Files";
    fs::create_directories(data);
    const TerminalTarget broken{m_dir / "old/experts", m_dir / "old/experts/files"}; // no such folder
    const std::vector<TerminalTarget> targets = {broken, legacyTarget(terminal()), {m_dir / "data/MQL4/Experts", data}};
    EXPECT_EQ(listTargets(targets, {kEurusd, kGbpusd}), "Cannot create file " + broken.signalFolder + "/EURUSD");
    EXPECT_EQ(listTree(files()), Names({"EURUSD", "GBPUSD"}));
    EXPECT_EQ(readFile(data + "/GBPUSD"), kGbpusd);
    EXPECT_FALSE(fs::exists(m_dir / "old")) << "never created";

    deleteEurusdSignalFiles(targets);
    EXPECT_EQ(listTree(files()), Names({"GBPUSD"}));
    EXPECT_EQ(listTree(data), Names({"GBPUSD"}));
    EXPECT_EQ(listTargets({}, {kEurusd}), "");
}

// The shared folder is written like any target; a link put in its way after it
// was checked leads nowhere.
TEST_F(SignalFiles, SharedFolderIsWrittenUntilALinkTakesItsPlace)
{
    const std::string mq = m_dir / "AppData/Roaming/MetaQuotes/Terminal";
    fs::create_directories(mq + "/Common/Files");
    const TerminalTarget shared{"", fs::canonical(mq + "/Common/Files").string(), TerminalKind::Shared};
    EXPECT_EQ(listTargets({shared}, {kEurusd, kGbpusd}), "");
    EXPECT_EQ(readFile(shared.signalFolder + "/GBPUSD"), kGbpusd);
    deleteEurusdSignalFiles({shared});
    EXPECT_EQ(listTree(shared.signalFolder), Names({"GBPUSD"}));

    fs::remove_all(mq + "/Common");
    fs::create_directories(m_dir / "outside/Files");
    fs::create_directory_symlink(m_dir / "outside", mq + "/Common");
    writeFile(m_dir / "outside/Files/EURUSD", "not ours");
    EXPECT_EQ(listTargets({legacyTarget(terminal()), shared}, {kEurusd, kGbpusd}), "") << "skipped, not an error every poll";
    EXPECT_EQ(listTree(m_dir / "outside"), Names({"Files", "Files/EURUSD"}));
    EXPECT_EQ(readFile(file("GBPUSD")), kGbpusd) << "the other targets are still written";
    deleteEurusdSignalFiles({legacyTarget(terminal()), shared});
    EXPECT_EQ(readFile(m_dir / "outside/Files/EURUSD"), "not ours");
    EXPECT_FALSE(fs::exists(file("EURUSD")));
}

TEST_F(SignalFiles, EmptyTerminalFolderWritesNothing)
{
    // Joined as it is, "" would address "/experts/files" at the root.
    EXPECT_EQ(write("", {kEurusd}), "");
    EXPECT_FALSE(fs::exists("/experts/files/EURUSD"));
}

} // namespace
} // namespace quorvane
