// SPDX-License-Identifier: MIT
// The main window and the trading terminal: signal files per short name, the
// folder choice, every folder layout, and the shell and sound handlers.

#include "tests/support/windowfixture.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include <algorithm>

namespace quorvane::test {
namespace {

TEST_F(WindowTest, SignalFilesPerShortNameAfterAMissingFolderAndOnlyEurusdRemovedAtExit)
{
    const std::string files = dir / "mt4/experts/files/";
    std::filesystem::create_directories(dir / "mt4/experts");
    writeFile(ini(), "[Form]\nmt4-path=" + (dir / "mt4") + "\n");
    fake.fallback = kThreeRecords;
    open();
    EXPECT_EQ(status(), "Data Error!");
    EXPECT_EQ(errorLog().rfind("Cannot create file " + files + "EURUSD, ", 0), 0u) << errorLog();
    EXPECT_EQ(combo("ComboBox3")->itemText(0), "1") << "the selector is not synced after the failure";

    std::filesystem::create_directories(files);
    form->Timer1Timer();
    EXPECT_EQ(status(), "Connected!");
    EXPECT_EQ(readFile(files + "EURUSD"), kThreeRecords.substr(0, kThreeRecords.find(')') + 1));
    EXPECT_EQ(readFile(files + "GBPUSD"), "(Symbol:GBPUSD,Price:1.2701,Time:2026.12.08 10:00,Signal:-0.25)");
    close();
    EXPECT_FALSE(exists(files + "EURUSD"));
    EXPECT_TRUE(exists(files + "GBPUSD") && exists(files + "USDJPY"));
}

TEST_F(WindowTest, FolderChoiceRefusedAcceptedAndCancelled)
{
    const std::string terminal = dir / "mt4";
    writeFile(dir / "Quorvane.ex4", "EA");
    std::filesystem::create_directories(terminal);
    open();
    fake.browseAnswer = terminal; // no experts/ yet
    control<QPushButton>("Button1")->click();
    EXPECT_EQ(text("Edit2"), "");
    EXPECT_EQ(fake.messages, std::vector<std::string>{kNotMt4Message});
    EXPECT_FALSE(exists(terminal + "/experts"));

    std::filesystem::create_directories(terminal + "/experts/files");
    control<QPushButton>("Button1")->click();
    EXPECT_EQ(text("Edit2").toStdString(), terminal);
    EXPECT_EQ(readFile(terminal + "/experts/Quorvane.ex4"), "EA");
    EXPECT_EQ(fake.messages.size(), 1u);

    writeFile(terminal + "/experts/files/EURUSD", "old");
    fake.browseAnswer.reset();
    control<QPushButton>("Button1")->click();
    ASSERT_EQ(fake.browsed.size(), 3u);
    EXPECT_EQ(fake.browsed[2], std::make_pair(std::string(kBrowseCaption), terminal))
        << "the existing folder is preselected";
    EXPECT_EQ(text("Edit2"), "");
    EXPECT_FALSE(exists(terminal + "/experts/files/EURUSD"));
}

TEST_F(WindowTest, PollWritesIntoEveryLayoutResolvedAtStartAndAtSelect)
{
    const std::string terminal = "pfx/drive_c/users/u/AppData/Roaming/MetaQuotes/Terminal/";
    const std::string data = terminal + "0123456789ABCDEF0123456789ABCDEF";
    const std::string data5 = terminal + "FEDCBA9876543210FEDCBA9876543210";
    const struct {
        const char* name;
        std::vector<std::string> folders; // created below the scratch folder
        std::string chosen;
        bool shared;                           // common-files
        std::vector<std::string> signalFolders; // with their kinds, as the hint names them
        std::vector<std::string> experts;       // installed by "Select"
    } rows[] = {
        {"Legacy", {"mt4/experts/files"}, "mt4", false, {"mt4/experts/files (MT4)"}, {"mt4/experts/Quorvane.mq4"}},
        {"Portable", {"mt4/MQL4/Experts", "mt4/MQL4/Files"}, "mt4", false, {"mt4/MQL4/Files (MT4)"},
         {"mt4/MQL4/Experts/Quorvane.mq4"}},
        {"WineInstallation", {"pfx/drive_c/MT4", data + "/MQL4/Experts", data + "/MQL4/Files"}, "pfx/drive_c/MT4", false,
         {data + "/MQL4/Files (MT4)"}, {data + "/MQL4/Experts/Quorvane.mq4"}},
        {"Mt5Portable", {"mt5/MQL5/Experts", "mt5/MQL5/Files"}, "mt5", false, {"mt5/MQL5/Files (MT5)"},
         {"mt5/MQL5/Experts/Quorvane.mq5"}},
        {"Mt5DataFolderChosenDirectly", {data5 + "/MQL5/Experts", data5 + "/MQL5/Files"}, data5, false,
         {data5 + "/MQL5/Files (MT5)"}, {data5 + "/MQL5/Experts/Quorvane.mq5"}},
        {"Mt5WineInstallation", {"pfx/drive_c/MT5", data5 + "/MQL5/Experts", data5 + "/MQL5/Files"}, "pfx/drive_c/MT5",
         false, {data5 + "/MQL5/Files (MT5)"}, {data5 + "/MQL5/Experts/Quorvane.mq5"}},
        {"DataFolderWithBoth", {"pfx/drive_c/MT4", data + "/MQL4/Experts", data + "/MQL4/Files", data + "/MQL5/Experts",
                                data + "/MQL5/Files"},
         "pfx/drive_c/MT4", false, {data + "/MQL4/Files (MT4)", data + "/MQL5/Files (MT5)"},
         {data + "/MQL4/Experts/Quorvane.mq4", data + "/MQL5/Experts/Quorvane.mq5"}},
        {"Mt4AndMt5InOnePrefixMt5Chosen",
         {"pfx/drive_c/MT4", "pfx/drive_c/MT5", data + "/MQL4/Experts", data + "/MQL4/Files", data5 + "/MQL5/Experts",
          data5 + "/MQL5/Files"},
         "pfx/drive_c/MT5", false, {data5 + "/MQL5/Files (MT5)"}, {data5 + "/MQL5/Experts/Quorvane.mq5"}},
        {"Mt5WithTheSharedFolder", {"pfx/drive_c/MT5", data5 + "/MQL5/Experts", data5 + "/MQL5/Files"},
         "pfx/drive_c/MT5", true, {data5 + "/MQL5/Files (MT5)", terminal + "Common/Files (shared by all terminals)"},
         {data5 + "/MQL5/Experts/Quorvane.mq5"}},
        {"PortableWithTheSharedFolderHasNone", {"mt5/MQL5/Experts", "mt5/MQL5/Files"}, "mt5", true,
         {"mt5/MQL5/Files (MT5)"}, {"mt5/MQL5/Experts/Quorvane.mq5"}},
    };
    fake.fallback = kThreeRecords;
    writeFile(dir / "Quorvane.mq4", "EA");
    writeFile(dir / "Quorvane.mq5", "EA5");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const char* top : {"mt4", "mt5", "pfx"})
            std::filesystem::remove_all(dir / top);
        for (const std::string& folder : row.folders)
            std::filesystem::create_directories(dir / folder);
        writeFile(dir / (data + "/origin.txt"), "C:\\MT4\r\n");
        writeFile(dir / (data5 + "/origin.txt"), "C:\\MT5\r\n");
        std::vector<std::string> files;
        std::string hint = "Signal files go to:";
        for (const std::string& folder : row.signalFolders) {
            files.push_back(dir / folder.substr(0, folder.find(" (")));
            hint += "\n" + (dir / folder);
        }
        writeFile(ini(), "[Form]\nmt4-path=" + (dir / row.chosen) + "\ncommon-files=" + (row.shared ? "1" : "0") + "\n");
        open();
        EXPECT_EQ(status(), "Connected!") << errorLog();
        EXPECT_EQ(control<QCheckBox>("CheckBox3")->isChecked(), row.shared);
        for (const std::string& f : files)
            EXPECT_EQ(readFile(f + "/GBPUSD"), "(Symbol:GBPUSD,Price:1.2701,Time:2026.12.08 10:00,Signal:-0.25)") << f;
        EXPECT_EQ(control("Edit2")->toolTip().toStdString(), hint);
        for (const std::string& folder : row.folders) {
            const bool served = std::find(files.begin(), files.end(), dir / folder) != files.end();
            if (folder.find("/Files") != std::string::npos && !served) {
                EXPECT_FALSE(exists(dir / folder + "/GBPUSD")) << "not a target: " << folder;
            }
        }
        for (const std::string& f : files)
            std::filesystem::remove(f + "/GBPUSD");
        fake.browseAnswer = dir / row.chosen;
        control<QPushButton>("Button1")->click();
        EXPECT_EQ(text("Edit2").toStdString(), dir / row.chosen) << "the stored folder stays the one chosen";
        for (const std::string& expert : row.experts)
            EXPECT_EQ(readFile(dir / expert), expert.find(".mq5") == std::string::npos ? "EA" : "EA5") << expert;
        EXPECT_EQ(control("Edit2")->toolTip().toStdString(), hint) << "the same targets after \"Select\"";
        form->Timer1Timer();
        for (const std::string& f : files)
            EXPECT_TRUE(exists(f + "/GBPUSD")) << f;
        close();
        for (const std::string& f : files)
            EXPECT_FALSE(exists(f + "/EURUSD")) << f;
        EXPECT_EQ(TIniFile(ini()).ReadString("Form", "mt4-path", "?"), dir / row.chosen);
        EXPECT_EQ(TIniFile(ini()).ReadString("Form", "common-files", "?"), row.shared ? "1" : "0");
    }
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_FALSE(exists(dir / "error_log.txt")) << errorLog();
}

// The check box takes effect at the next poll; a shared folder that may not be
// written is one line in the error log, however many polls follow.
TEST_F(WindowTest, SharedFolderFollowsTheCheckBoxAndARefusedOneIsLoggedOnce)
{
    const std::string terminal = dir / "pfx/drive_c/users/u/AppData/Roaming/MetaQuotes/Terminal";
    const std::string data = terminal + "/FEDCBA9876543210FEDCBA9876543210";
    std::filesystem::create_directories(data + "/MQL5/Experts");
    std::filesystem::create_directories(data + "/MQL5/Files");
    writeFile(ini(), "[Form]\nmt4-path=" + data + "\n");
    fake.fallback = kThreeRecords;
    open();
    EXPECT_FALSE(exists(terminal + "/Common")) << "off by default";
    control<QCheckBox>("CheckBox3")->click();
    form->Timer1Timer();
    EXPECT_TRUE(exists(terminal + "/Common/Files/GBPUSD"));
    control<QCheckBox>("CheckBox3")->click();
    std::filesystem::remove(terminal + "/Common/Files/GBPUSD");
    form->Timer1Timer();
    EXPECT_FALSE(exists(terminal + "/Common/Files/GBPUSD"));
    EXPECT_FALSE(exists(dir / "error_log.txt"));

    // Common leads out of the prefix.
    std::filesystem::remove_all(terminal + "/Common");
    std::filesystem::create_directories(dir / "elsewhere/Files");
    std::filesystem::create_directory_symlink(dir / "elsewhere", terminal + "/Common");
    control<QCheckBox>("CheckBox3")->click();
    for (int i = 0; i < 3; ++i)
        form->Timer1Timer();
    EXPECT_EQ(status(), "Connected!") << "the terminal's own folder is still served";
    EXPECT_TRUE(exists(data + "/MQL5/Files/GBPUSD"));
    EXPECT_TRUE(listTree(dir / "elsewhere").size() == 1) << "only Files, nothing written there";
    const std::string log = errorLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_EQ(log.rfind("Shared folder not written: " + terminal + "/Common leads out of ", 0), 0u) << log;
    close();
    EXPECT_EQ(TIniFile(ini()).ReadString("Form", "common-files", "?"), "1");
}

TEST_F(WindowTest, CallMt4SaysWhatIsMissing)
{
    std::filesystem::create_directories(dir / "data/MQL5/Files");
    writeFile(ini(), "[Form]\nmt4-path=" + (dir / "data") + "\n");
    open();
    control<QPushButton>("Button2")->click();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].rfind("Cannot start the terminal: there is no terminal.exe or terminal64.exe in ", 0), 0u)
        << fake.messages[0];
    EXPECT_TRUE(fake.opened.empty());
}

TEST_F(WindowTest, InstallationWithoutDataFolderIsExplainedAndNotStored)
{
    std::filesystem::create_directories(dir / "pfx/drive_c/MT4");
    writeFile(dir / "pfx/drive_c/MT4/terminal.exe", "x");
    writeFile(dir / "Quorvane.mq4", "EA");
    open();
    fake.browseAnswer = dir / "pfx/drive_c/MT4";
    control<QPushButton>("Button1")->click();
    EXPECT_EQ(text("Edit2"), "");
    EXPECT_EQ(control("Edit2")->toolTip(), "");
    EXPECT_EQ(fake.messages, std::vector<std::string>{kNoDataFolderMessage});
}

TEST_F(WindowTest, LinkLabelsAndCallButtonGoToTheShellAndSoundButtonPlays)
{
    std::filesystem::create_directories(dir / "mt4");
    writeFile(dir / "mt4/terminal.exe", "x");
    writeFile(ini(), "[Form]\nmt4-path=" + (dir / "mt4") + "\nsound=0\n"); // CheckBox2 off is not consulted
    open();
    for (const char* name : {"Label18", "Label21", "Label23", "Label25"}) {
        EXPECT_EQ(control(name)->cursor().shape(), Qt::PointingHandCursor) << name;
        QTest::mouseClick(control(name), Qt::LeftButton, {}, QPoint(2, 2));
    }
    control<QPushButton>("Button2")->click();
    control<QPushButton>("Button5")->click();
    EXPECT_EQ(fake.opened, (std::vector<std::pair<std::string, std::string>>{
                               {"open", "https://www.metaquotes.net/en/metatrader4"},
                               {"open", "https://broker.quorvane.example/open-account"},
                               {"Open", "https://quorvane.example/"},
                               {"open", "mailto:support@quorvane.example"},
                               {"open", dir / "mt4/terminal.exe"}}));
    EXPECT_EQ(fake.sounds, std::vector<std::string>{"open.wav"});
}

} // namespace
} // namespace quorvane::test
