#include "terminalfolder.h"

#include "platform.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

namespace quorvane {
namespace {

using test::listTree;
using test::readFile;
using test::TempDir;
using test::writeFile;

class FakeBrowser final : public FolderBrowser {
public:
    explicit FakeBrowser(std::optional<std::string> answer) : m_answer(std::move(answer)) {}

    std::optional<std::string> Browse(const std::string& caption, const std::string& initialFolder) override
    {
        ++calls;
        lastCaption = caption;
        lastInitial = initialFolder;
        return m_answer;
    }

    int calls = 0;
    std::string lastCaption;
    std::string lastInitial;

private:
    std::optional<std::string> m_answer;
};

class RecordingShell final : public ShellOpener {
public:
    void Open(const std::string& verb, const std::string& target) override { opened.emplace_back(verb, target); }
    std::vector<std::pair<std::string, std::string>> opened;
};

class RecordingPlayer final : public SoundPlayer {
public:
    void PlayAsync(const std::string& name) override { played.push_back(name); }
    std::vector<std::string> played;
};

// Real file operations, with every deletion recorded.
class WatchedFileSystem final : public FileSystem {
public:
    bool IsDirectory(const std::string& path) override { return m_real->IsDirectory(path); }
    bool Exists(const std::string& path) override { return m_real->Exists(path); }
    bool CopyReplacing(const std::string& from, const std::string& to) override
    {
        return m_real->CopyReplacing(from, to);
    }
    void RemoveIgnoringErrors(const std::string& path) override
    {
        removed.push_back(path);
        m_real->RemoveIgnoringErrors(path);
    }
    std::vector<std::string> removed;

private:
    std::unique_ptr<FileSystem> m_real = MakeRealFileSystem();
};

class ChooseTerminalFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(program());
        writeFile(program() + "/Quorvane.ex4", "compiled v1");
        writeFile(program() + "/Quorvane.mq4", "source v1");
    }
    std::string program() const { return m_dir / "program"; }
    std::string makeTerminal(const std::string& name) const
    {
        const std::string folder = m_dir / name;
        std::filesystem::create_directories(folder + "/experts/files");
        return folder;
    }

    TempDir m_dir;
    WatchedFileSystem m_fs;
};

TEST_F(ChooseTerminalFolderTest, FolderWithExpertsButNoTerminalExeIsAccepted)
{
    const std::string mt4 = makeTerminal("mt4");
    FakeBrowser browser(mt4);

    const FolderChoice choice = ChooseTerminalFolder("", program(), browser, m_fs);

    EXPECT_EQ(choice.folder, mt4);
    EXPECT_FALSE(choice.notMt4);
    EXPECT_EQ(browser.lastCaption, "Please specify the folder");
    EXPECT_EQ(readFile(mt4 + "/experts/Quorvane.ex4"), "compiled v1");
    EXPECT_EQ(readFile(mt4 + "/experts/Quorvane.mq4"), "source v1");
}

TEST_F(ChooseTerminalFolderTest, FolderWithoutExpertsIsRefusedAndGetsNothing)
{
    const std::string plain = m_dir / "plain";
    std::filesystem::create_directories(plain);
    FakeBrowser browser(plain);

    const FolderChoice choice = ChooseTerminalFolder("", program(), browser, m_fs);

    EXPECT_TRUE(choice.notMt4);
    EXPECT_EQ(choice.folder, "");
    EXPECT_TRUE(listTree(plain).empty());
    EXPECT_STREQ(kNotMt4Message, "It is not a MT4 install directory, please re-select.");
}

TEST_F(ChooseTerminalFolderTest, CancelDeletesOldFoldersEurusdOnly)
{
    const std::string mt4 = makeTerminal("mt4");
    writeFile(mt4 + "/experts/files/EURUSD", "Symbol=EURUSD,Signal=0.5)");
    writeFile(mt4 + "/experts/files/GBPUSD", "Symbol=GBPUSD,Signal=0.5)");
    FakeBrowser browser(std::nullopt);

    const FolderChoice choice = ChooseTerminalFolder(mt4, program(), browser, m_fs);

    EXPECT_EQ(choice.folder, "");
    EXPECT_FALSE(choice.notMt4);
    EXPECT_EQ(browser.lastInitial, mt4);
    EXPECT_EQ(listTree(mt4 + "/experts/files"), (std::set<std::string>{"GBPUSD"}));
}

TEST_F(ChooseTerminalFolderTest, CancelWithNoFolderDeletesNothing)
{
    FakeBrowser browser(std::nullopt);

    const FolderChoice choice = ChooseTerminalFolder("", program(), browser, m_fs);

    EXPECT_EQ(choice.folder, "");
    EXPECT_FALSE(choice.notMt4);
    EXPECT_TRUE(m_fs.removed.empty());
}

TEST_F(ChooseTerminalFolderTest, ChoosingSameFolderAgainReplacesInstalledCopy)
{
    const std::string mt4 = makeTerminal("mt4");
    FakeBrowser browser(mt4);
    ASSERT_EQ(ChooseTerminalFolder("", program(), browser, m_fs).folder, mt4);
    writeFile(program() + "/Quorvane.mq4", "source v2, longer than the first");

    const FolderChoice again = ChooseTerminalFolder(mt4, program(), browser, m_fs);

    EXPECT_EQ(again.folder, mt4);
    EXPECT_EQ(readFile(mt4 + "/experts/Quorvane.mq4"), "source v2, longer than the first");
}

struct InstallRow {
    const char* label;
    bool ex4;            // compiled expert in the program folder
    bool mq4;            // source in the program folder
    bool blockEx4;       // a folder sits where the compiled expert must go
    bool accepted;
};

void PrintTo(const InstallRow& row, std::ostream* os) { *os << row.label; }

class InstallTest : public ChooseTerminalFolderTest, public ::testing::WithParamInterface<InstallRow> {};

TEST_P(InstallTest, InstallsEachPresentFileOrRefuses)
{
    const InstallRow& row = GetParam();
    if (!row.ex4)
        std::filesystem::remove(program() + "/Quorvane.ex4");
    if (!row.mq4)
        std::filesystem::remove(program() + "/Quorvane.mq4");
    const std::string mt4 = makeTerminal("mt4");
    if (row.blockEx4)
        std::filesystem::create_directories(mt4 + "/experts/Quorvane.ex4");
    FakeBrowser browser(mt4);

    const FolderChoice choice = ChooseTerminalFolder("", program(), browser, m_fs);

    EXPECT_EQ(choice.notMt4, !row.accepted);
    EXPECT_EQ(choice.folder, row.accepted ? mt4 : "");
    if (row.accepted) {
        EXPECT_EQ(std::filesystem::is_regular_file(mt4 + "/experts/Quorvane.ex4"), row.ex4);
        EXPECT_EQ(std::filesystem::is_regular_file(mt4 + "/experts/Quorvane.mq4"), row.mq4);
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, InstallTest,
                         ::testing::Values(InstallRow{"SourceAlone", false, true, false, true},
                                           InstallRow{"CompiledAlone", true, false, false, true},
                                           InstallRow{"Neither", false, false, false, false},
                                           InstallRow{"OneCopyFails", true, true, true, false}),
                         [](const ::testing::TestParamInfo<InstallRow>& info) {
                             return std::string(info.param.label);
                         });

struct StartingFolderRow {
    const char* label;
    bool exists;
    bool isFile;
    bool expectPreselected;
};

void PrintTo(const StartingFolderRow& row, std::ostream* os) { *os << row.label; }

class StartingFolderTest : public ChooseTerminalFolderTest,
                           public ::testing::WithParamInterface<StartingFolderRow> {};

TEST_P(StartingFolderTest, BrowserPreselectsOnlyAnExistingFolder)
{
    const StartingFolderRow& row = GetParam();
    const std::string stored = m_dir / "stored";
    if (row.exists && row.isFile)
        writeFile(stored, "not a folder");
    else if (row.exists)
        std::filesystem::create_directories(stored);
    FakeBrowser browser(std::nullopt);

    ChooseTerminalFolder(stored, program(), browser, m_fs);

    EXPECT_EQ(browser.calls, 1);
    EXPECT_EQ(browser.lastInitial, row.expectPreselected ? stored : "");
    // A cancel only deletes below a folder that is really there.
    EXPECT_EQ(m_fs.removed.empty(), !row.expectPreselected);
}

INSTANTIATE_TEST_SUITE_P(Stored, StartingFolderTest,
                         ::testing::Values(StartingFolderRow{"ExistingFolder", true, false, true},
                                           StartingFolderRow{"Vanished", false, false, false},
                                           StartingFolderRow{"PlainFile", true, true, false}),
                         [](const ::testing::TestParamInfo<StartingFolderRow>& info) {
                             return std::string(info.param.label);
                         });

TEST(CallTerminalTest, OpensTerminalExeBelowFolderWithVerbOpen)
{
    RecordingShell shell;

    CallTerminal("/opt/mt4", shell);
    CallTerminal("", shell);

    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[0], (std::pair<std::string, std::string>{"open", "/opt/mt4/terminal.exe"}));
    EXPECT_EQ(shell.opened[1], (std::pair<std::string, std::string>{"open", "/terminal.exe"}));
}

TEST(PlayOpenSoundTest, PlaysOpenWav)
{
    RecordingPlayer player;

    PlayOpenSound(player);

    EXPECT_EQ(player.played, std::vector<std::string>{"open.wav"});
}

} // namespace
} // namespace quorvane
