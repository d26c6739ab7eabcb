// SPDX-License-Identifier: MIT
// Choosing the terminal folder through a stand-in dialog on a real temporary
// file system, installing the expert advisor, and the two buttons.

#include "bridge/terminalfolder.h"

#include "bridge/platform.h"
#include "tests/support/scratchfolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace quorvane {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Names = std::set<std::string>;
using Lines = std::vector<std::string>;

// The folder dialog answers as told; the file system is real, with every deletion and dialog recorded.
struct StandIns final : FolderBrowser, FileSystem {
    std::optional<std::string> Browse(const std::string& caption, const std::string& initialFolder) override
    {
        log.push_back(caption + " | " + initialFolder);
        return answer;
    }
    bool IsDirectory(const std::string& path) override { return real->IsDirectory(path); }
    bool Exists(const std::string& path) override { return real->Exists(path); }
    bool CopyReplacing(const std::string& from, const std::string& to) override { return real->CopyReplacing(from, to); }
    void RemoveIgnoringErrors(const std::string& path) override
    {
        log.push_back("remove " + path);
        real->RemoveIgnoringErrors(path);
    }
    std::optional<std::string> answer;
    std::unique_ptr<FileSystem> real = makeRealFileSystem();
    Lines log;
};

class ChooseTerminalFolderTest : public ::testing::Test {
protected:
    ChooseTerminalFolderTest() { program(true, true, "v1"); }
    // Fills the program folder with the compiled expert and the source as asked
    // (and the MQL5 source when `mq5`, the includes the sources need when `mqh`).
    void program(bool ex4, bool mq4, const std::string& version = "v1", bool mq5 = false, bool mqh = true) const
    {
        fs::remove_all(m_dir / "program");
        fs::create_directories(m_dir / "program");
        if (ex4)
            writeFile(m_dir / "program/Quorvane.ex4", "compiled " + version);
        if (mq4)
            writeFile(m_dir / "program/Quorvane.mq4", "source " + version);
        if (mq5)
            writeFile(m_dir / "program/Quorvane.mq5", "source5 " + version);
        for (const char* include : {"QuorvaneSignal.mqh", "QuorvaneTrade4.mqh", "QuorvaneTrade5.mqh"}) {
            if (mqh)
                writeFile(m_dir / "program/" + include, "include " + version);
        }
    }
    std::string terminal(const std::string& name, bool withExperts = true) const
    {
        fs::create_directories(m_dir / name + (withExperts ? "/experts/files" : ""));
        return m_dir / name;
    }
    FolderChoice choose(const std::string& current, std::optional<std::string> answer)
    {
        m_os.answer = std::move(answer);
        m_os.log.clear();
        return chooseTerminalFolder(current, resolveTerminalTargets(current).targets, m_dir / "program", m_os, m_os);
    }

    ScratchFolder m_dir;
    StandIns m_os;
};

TEST_F(ChooseTerminalFolderTest, FolderWithExpertsIsAcceptedAndChosenAgainRecopies)
{
    const std::string mt4 = terminal("mt4"); // no terminal.exe
    const FolderChoice first = choose("", mt4);
    EXPECT_EQ(first.folder, mt4);
    EXPECT_FALSE(first.notMt4);
    EXPECT_EQ(m_os.log, Lines{"Please specify the folder | "});
    EXPECT_EQ(readFile(mt4 + "/experts/Quorvane.ex4"), "compiled v1");
    EXPECT_EQ(readFile(mt4 + "/experts/Quorvane.mq4"), "source v1");

    program(true, true, "v2, longer than the first");
    EXPECT_EQ(choose(mt4, mt4).folder, mt4);
    EXPECT_EQ(m_os.log, Lines{"Please specify the folder | " + mt4});
    EXPECT_EQ(readFile(mt4 + "/experts/Quorvane.mq4"), "source v2, longer than the first");
}

TEST_F(ChooseTerminalFolderTest, InstallsEachPresentFileOrRefusesTheFolder)
{
    EXPECT_STREQ(kNotMt4Message, "It is not a MT4 install directory, please re-select.");
    const struct {
        const char* name;
        bool ex4, mq4, mqh, experts;
        const char* blocked; // a folder sits where this file goes; "" for none
        bool accepted;
    } rows[] = {{"SourceAlone", false, true, true, true, "", true},
                {"CompiledAlone", true, false, false, true, "", true},
                {"Neither", false, false, false, true, "", false},
                {"OneCopyFails", true, true, true, true, "Quorvane.ex4", false},
                {"NoExpertsFolder", true, true, true, false, "", false},
                {"IncludeAloneIsNoAdvisor", false, false, true, true, "", false},
                {"CompiledNeedsNoInclude", true, false, true, true, "", true},
                {"SourceWithoutItsIncludeStillGoes", false, true, false, true, "", true},
                {"IncludeCopyFailsBeforeTheSource", false, true, true, true, "QuorvaneSignal.mqh", false},
                {"TradeIncludeCopyFailsBeforeTheSource", false, true, true, true, "QuorvaneTrade4.mqh", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        program(row.ex4, row.mq4, "v1", false, row.mqh);
        const std::string mt4 = terminal(row.name, row.experts);
        if (*row.blocked)
            fs::create_directories(mt4 + "/experts/" + row.blocked);
        const FolderChoice choice = choose("", mt4);
        EXPECT_EQ(choice.notMt4, !row.accepted);
        EXPECT_EQ(choice.folder, row.accepted ? mt4 : "");
        EXPECT_EQ(fs::is_regular_file(mt4 + "/experts/Quorvane.ex4"), row.accepted && row.ex4);
        EXPECT_EQ(fs::is_regular_file(mt4 + "/experts/Quorvane.mq4"), row.accepted && row.mq4);
        const bool copiedBeforeTheFailure = std::string(row.blocked) == "QuorvaneTrade4.mqh";
        EXPECT_EQ(fs::is_regular_file(mt4 + "/experts/QuorvaneSignal.mqh"),
                  (row.accepted || copiedBeforeTheFailure) && row.mq4 && row.mqh);
        EXPECT_EQ(fs::is_regular_file(mt4 + "/experts/QuorvaneTrade4.mqh"), row.accepted && row.mq4 && row.mqh);
        EXPECT_FALSE(fs::exists(mt4 + "/experts/QuorvaneTrade5.mqh")) << "MQL5 only";
        EXPECT_EQ(fs::exists(mt4 + "/experts"), row.experts) << "never created";
    }
}

TEST_F(ChooseTerminalFolderTest, CancelDeletesEurusdOfAnExistingOldFolderOnly)
{
    const std::string mt4 = terminal("mt4");
    writeFile(mt4 + "/experts/files/EURUSD", "Symbol=EURUSD,Signal=0.5)");
    writeFile(mt4 + "/experts/files/GBPUSD", "Symbol=GBPUSD,Signal=0.5)");
    const FolderChoice choice = choose(mt4, std::nullopt);
    EXPECT_EQ(choice.folder, "");
    EXPECT_FALSE(choice.notMt4);
    EXPECT_EQ(listTree(mt4 + "/experts/files"), Names({"GBPUSD"}));

    // A stored folder that is empty, gone or a plain file is not preselected and loses nothing.
    writeFile(m_dir / "plain", "not a folder");
    for (const std::string& stored : {std::string(), m_dir / "gone", m_dir / "plain"}) {
        choose(stored, std::nullopt);
        EXPECT_EQ(m_os.log, Lines{"Please specify the folder | "}) << stored;
    }
}

TEST_F(ChooseTerminalFolderTest, WineInstallationGoesToItsDataFolderAndNeverStartedOneIsExplained)
{
    const std::string install = m_dir / "pfx/drive_c/MT4";
    const std::string data = m_dir / "pfx/drive_c/users/u/AppData/Roaming/MetaQuotes/Terminal/0123456789abcdef0123456789abcdef";
    fs::create_directories(install);
    writeFile(install + "/terminal.exe", "x");
    FolderChoice choice = choose("", install);
    EXPECT_TRUE(choice.noDataFolder);
    EXPECT_FALSE(choice.notMt4);
    EXPECT_EQ(choice.folder, "");
    EXPECT_TRUE(choice.targets.empty());

    fs::create_directories(data + "/MQL4/Experts");
    fs::create_directories(data + "/MQL4/Files");
    writeFile(data + "/origin.txt", "C:\\MT4\r\n");
    fs::create_directories(install + "/experts/files"); // upgraded from before 600: both are served
    choice = choose("", install);
    EXPECT_EQ(choice.folder, install) << "the stored folder stays the one chosen";
    EXPECT_EQ(choice.targets, (std::vector<TerminalTarget>{legacyTarget(install), {data + "/MQL4/Experts", data + "/MQL4/Files"}}));
    EXPECT_EQ(readFile(data + "/MQL4/Experts/Quorvane.mq4"), "source v1");
    EXPECT_EQ(readFile(install + "/experts/Quorvane.mq4"), "source v1");

    // One target that refuses the copy does not refuse the folder.
    fs::remove_all(install + "/experts/Quorvane.mq4");
    fs::create_directories(install + "/experts/Quorvane.mq4");
    EXPECT_EQ(choose("", install).folder, install);

    writeFile(data + "/MQL4/Files/EURUSD", "x");
    writeFile(install + "/experts/files/EURUSD", "x");
    choice = choose(install, std::nullopt);
    EXPECT_FALSE(fs::exists(data + "/MQL4/Files/EURUSD"));
    EXPECT_FALSE(fs::exists(install + "/experts/files/EURUSD"));
}

// Each terminal gets the advisor of its own language; the shared folder none.
TEST_F(ChooseTerminalFolderTest, Mt5TargetsTakeTheMql5AdvisorAndMt4TargetsTheMql4One)
{
    const std::string pfx = m_dir / "pfx/drive_c";
    const std::string data = pfx + "/users/u/AppData/Roaming/MetaQuotes/Terminal/0123456789abcdef0123456789abcdef";
    const struct {
        const char* name;
        std::vector<std::string> mql; ///< MQL folders of the data folder
        bool mq5Shipped;
        bool accepted;
        Names experts; ///< what ends up in the data folder, below it
    } rows[] = {
        {"Mt5", {"MQL5"}, true, true,
         {"MQL5/Experts/Quorvane.mq5", "MQL5/Experts/QuorvaneSignal.mqh", "MQL5/Experts/QuorvaneTrade5.mqh"}},
        {"BothInOneDataFolder", {"MQL4", "MQL5"}, true, true,
         {"MQL4/Experts/Quorvane.mq4", "MQL4/Experts/QuorvaneSignal.mqh", "MQL4/Experts/QuorvaneTrade4.mqh",
          "MQL5/Experts/Quorvane.mq5", "MQL5/Experts/QuorvaneSignal.mqh", "MQL5/Experts/QuorvaneTrade5.mqh"}},
        {"Mt5WithoutItsAdvisorBesideTheProgram", {"MQL5"}, false, false, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(m_dir / "pfx");
        program(false, true, "v1", row.mq5Shipped);
        fs::create_directories(pfx + "/MT5");
        writeFile(pfx + "/MT5/terminal64.exe", "x");
        for (const std::string& mql : row.mql)
            for (const char* sub : {"/Files", "/Experts"})
                fs::create_directories(data + "/" + mql + sub);
        writeFile(data + "/origin.txt", "C:\\MT5\r\n");
        const FolderChoice choice = choose("", pfx + "/MT5");
        EXPECT_EQ(choice.folder, row.accepted ? pfx + "/MT5" : "");
        EXPECT_EQ(choice.notMt4, !row.accepted) << "the same message as for MT4";
        Names installed;
        for (const std::string& path : listTree(data)) {
            if (path.find("Quorvane") != std::string::npos)
                installed.insert(path);
        }
        EXPECT_EQ(installed, row.experts);
        if (row.accepted) {
            EXPECT_EQ(readFile(data + "/MQL5/Experts/Quorvane.mq5"), "source5 v1");
        }
    }
}

TEST(SignalFoldersHintTest, NamesEachSignalFolderWithItsKind)
{
    EXPECT_EQ(signalFoldersHint({}), "");
    EXPECT_EQ(signalFoldersHint({legacyTarget("/a"),
                                 {"/d/MQL4/Experts", "/d/MQL4/Files"},
                                 {"/e/MQL5/Experts", "/e/MQL5/Files", TerminalKind::Mt5},
                                 {"", "/T/Common/Files", TerminalKind::Shared}}),
              "Signal files go to:\n/a/experts/files (MT4)\n/d/MQL4/Files (MT4)\n/e/MQL5/Files (MT5)\n"
              "/T/Common/Files (shared by all terminals)");
}

TEST(ButtonsTest, TerminalStartsOrSaysWhatIsMissingAndSoundPlaysOpenWav)
{
    ScratchFolder dir;
    struct : ShellOpener, SoundPlayer {
        void Open(const std::string& verb, const std::string& target) override { calls.push_back(verb + " " + target); }
        std::string missingToOpen(const std::string&) const override { return missing; }
        void PlayAsync(const std::string& name) override { calls.push_back("play " + name); }
        Lines calls;
        std::string missing;
    } desktop;
    std::unique_ptr<FileSystem> files = makeRealFileSystem();
    fs::create_directories(dir / "mt4");
    fs::create_directories(dir / "mt5/32");
    writeFile(dir / "mt4/terminal.exe", "x");
    writeFile(dir / "mt5/terminal64.exe", "x");
    writeFile(dir / "mt5/32/terminal.exe", "x");
    fs::create_directories(dir / "data/MQL5/Files");
    const struct {
        const char* name;
        std::string folder, wineMissing;
        std::string opened;  ///< "" when nothing is opened
        std::string message; ///< its start; "" for none
    } rows[] = {
        {"Mt4", dir / "mt4", "", "open " + (dir / "mt4/terminal.exe"), ""},
        {"Mt5SixtyFourBit", dir / "mt5", "", "open " + (dir / "mt5/terminal64.exe"), ""},
        {"Mt5ThirtyTwoBit", dir / "mt5/32", "", "open " + (dir / "mt5/32/terminal.exe"), ""},
        {"NoFolder", "", "", "", kNoFolderToCallMessage},
        {"DataFolderWithoutTheProgram", dir / "data", "", "",
         "Cannot start the terminal: there is no terminal.exe or terminal64.exe in " + (dir / "data")},
        {"NoWine", dir / "mt4", "Wine is not installed.", "", "Cannot start the terminal: Wine is not installed."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        desktop.calls.clear();
        desktop.missing = row.wineMissing;
        const std::string message = callTerminal(row.folder, desktop, *files);
        EXPECT_EQ(message.substr(0, row.message.size()), row.message);
        EXPECT_EQ(message.empty(), row.message.empty()) << message;
        EXPECT_EQ(desktop.calls, row.opened.empty() ? Lines() : Lines{row.opened});
    }
    desktop.calls.clear();
    playOpenSound(desktop);
    EXPECT_EQ(desktop.calls, Lines({"play open.wav"}));
}

} // namespace
} // namespace quorvane
