// The main window and the trading terminal: signal files per short name, the
// folder choice, every folder layout, and the shell and sound handlers.

#include "windowfixture.h"

#include <QPushButton>
#include <QTest>

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
    const std::string data = "pfx/drive_c/users/u/AppData/Roaming/MetaQuotes/Terminal/0123456789ABCDEF0123456789ABCDEF";
    const struct {
        const char* name;
        std::vector<std::string> folders; // created below the scratch folder
        std::string chosen, signalFolder;
    } rows[] = {
        {"Legacy", {"mt4/experts/files"}, "mt4", "mt4/experts/files"},
        {"Portable", {"mt4/MQL4/Experts", "mt4/MQL4/Files"}, "mt4", "mt4/MQL4/Files"},
        {"WineInstallation", {"pfx/drive_c/MT4", data + "/MQL4/Experts", data + "/MQL4/Files"}, "pfx/drive_c/MT4",
         data + "/MQL4/Files"},
    };
    fake.fallback = kThreeRecords;
    writeFile(dir / "Quorvane.mq4", "EA");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(dir / "mt4");
        std::filesystem::remove_all(dir / "pfx");
        for (const std::string& folder : row.folders)
            std::filesystem::create_directories(dir / folder);
        writeFile(dir / (data + "/origin.txt"), "C:\\MT4\r\n");
        const std::string files = dir / row.signalFolder;
        writeFile(ini(), "[Form]\nmt4-path=" + (dir / row.chosen) + "\n");
        open();
        EXPECT_EQ(status(), "Connected!");
        EXPECT_EQ(readFile(files + "/GBPUSD"), "(Symbol:GBPUSD,Price:1.2701,Time:2026.12.08 10:00,Signal:-0.25)");
        EXPECT_EQ(control("Edit2")->toolTip().toStdString(), "Signal files go to:\n" + files);
        std::filesystem::remove(files + "/GBPUSD");
        fake.browseAnswer = dir / row.chosen;
        control<QPushButton>("Button1")->click();
        EXPECT_EQ(text("Edit2").toStdString(), dir / row.chosen) << "the stored folder stays the one chosen";
        EXPECT_EQ(readFile(files + "/../" + (row.signalFolder.find("MQL4") == std::string::npos ? "" : "Experts/")
                           + "Quorvane.mq4"),
                  "EA");
        form->Timer1Timer();
        EXPECT_TRUE(exists(files + "/GBPUSD"));
        close();
        EXPECT_FALSE(exists(files + "/EURUSD"));
        EXPECT_EQ(TIniFile(ini()).ReadString("Form", "mt4-path", "?"), dir / row.chosen);
    }
    EXPECT_TRUE(fake.messages.empty());
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
    writeFile(ini(), "[Form]\nmt4-path=/opt/mt4\nsound=0\n"); // CheckBox2 off is not consulted
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
                               {"open", "/opt/mt4/terminal.exe"}}));
    EXPECT_EQ(fake.sounds, std::vector<std::string>{"open.wav"});
}

} // namespace
} // namespace quorvane::test
