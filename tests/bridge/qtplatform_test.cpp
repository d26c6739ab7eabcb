// SPDX-License-Identifier: MIT
// The Qt services: where a sound is looked for, the player with and without
// "open.wav", ".exe" targets going to Wine; and what the build stages beside
// the executable: the opening chime and the expert advisors' sources.

#include "bridge/qtplatform.h"

#include "tests/support/qtapp.h"
#include "tests/support/scratchfolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quorvane {
namespace {

using namespace test;
namespace fs = std::filesystem;

TEST(ResolveSoundFileTest, LooksInCurrentDirectoryBeforeProgramFolder)
{
    const struct {
        const char* name;
        const char* current; // what lies at current/open.wav: "file", "folder" or ""
        bool inProgram;
        const char* expected; // "current", "program" or ""
    } rows[] = {{"OnlyCurrent", "file", false, "current"}, {"OnlyProgram", "", true, "program"},
                {"BothPreferCurrent", "file", true, "current"}, {"Nowhere", "", false, ""},
                {"FolderNamedLikeSoundIsSkipped", "folder", true, "program"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder dir;
        fs::create_directories(dir / "current");
        fs::create_directories(dir / "program");
        if (std::string(row.current) == "folder")
            fs::create_directories(dir / "current/open.wav");
        else if (std::string(row.current) == "file")
            writeFile(dir / "current/open.wav", "RIFF");
        if (row.inProgram)
            writeFile(dir / "program/open.wav", "RIFF");
        const std::string expected = *row.expected ? dir / row.expected + "/open.wav" : "";
        EXPECT_EQ(resolveSoundFile("open.wav", dir / "current", dir / "program"), expected);
    }
}

class QtPlatformTest : public ::testing::Test {
protected:
    ~QtPlatformTest() override { QDir::setCurrent(m_previousDir); }

    QString m_previousDir = QDir::currentPath();
    ScratchFolder m_dir;
};

TEST_F(QtPlatformTest, SoundPlayerPlaysOpenWavFromCurrentDirectoryElseDefaultSound)
{
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(m_dir.path())));
    QObject owner;
    QtSoundPlayer player(&owner, m_dir / "program-without-sound");
    EXPECT_NO_THROW(player.PlayAsync("open.wav"));
    EXPECT_EQ(player.lastResolvedPath(), "");

    fs::copy_file(QUORVANE_BIN_DIR "/open.wav", m_dir / "open.wav");
    EXPECT_NO_THROW(player.PlayAsync("open.wav"));
    EXPECT_EQ(player.lastResolvedPath(), m_dir / "open.wav");
}

TEST_F(QtPlatformTest, SoundPlayerOutlivingItsParentObjectIsSafe)
{
    auto owner = std::make_unique<QObject>();
    auto player = makeQtSoundPlayer(owner.get());
    owner.reset(); // takes the sound effect with it: neither a crash nor a double free follows
    EXPECT_NO_THROW(player->PlayAsync("open.wav"));
    player.reset();
}

TEST_F(QtPlatformTest, ExeTargetGoesToWineWhenOnPath)
{
    // A stand-in "wine" that records what it was asked to run.
    const std::string record = m_dir / "wine-args.txt";
    fs::create_directories(m_dir / "bin");
    writeFile(m_dir / "bin/wine", "#!/bin/sh\nprintf '%s' \"$1\" > " + record + ".part && mv " + record + ".part " + record + "\n");
    fs::permissions(m_dir / "bin/wine", fs::perms::owner_all);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(m_dir / "bin") + ":" + oldPath);

    makeDesktopShellOpener()->Open("open", m_dir / "mt4/terminal.exe");

    const bool ran = QTest::qWaitFor([&] { return fs::exists(record); }, 10000);
    const std::string missingWithWine = makeDesktopShellOpener()->missingToOpen(m_dir / "mt4/terminal.exe");
    qputenv("PATH", QByteArray::fromStdString(m_dir / "nothing-here"));
    const std::string missingWithoutWine = makeDesktopShellOpener()->missingToOpen(m_dir / "mt4/terminal64.EXE");
    const std::string missingForAnAddress = makeDesktopShellOpener()->missingToOpen("https://quorvane.example/x.exe");
    qputenv("PATH", oldPath);
    ASSERT_TRUE(ran);
    EXPECT_EQ(readFile(record), m_dir / "mt4/terminal.exe");
    EXPECT_EQ(missingWithWine, "");
    EXPECT_EQ(missingWithoutWine.rfind("Wine is not installed", 0), 0u) << missingWithoutWine;
    EXPECT_EQ(missingForAnAddress, "");
}

// The little-endian number of `width` bytes at `at`.
std::uint32_t le(const std::string& bytes, std::size_t at, int width)
{
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
    return value;
}

TEST(AssetsTest, ChimeIsShortMono16BitPcmThatFadesOut)
{
    const std::string wav = readFile(QUORVANE_BIN_DIR "/open.wav");
    ASSERT_GE(wav.size(), 46u);
    EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 8) + wav.substr(36, 4), "RIFFWAVEfmt data");
    EXPECT_EQ(le(wav, 4, 4), wav.size() - 8);
    EXPECT_EQ(le(wav, 40, 4), wav.size() - 44);
    EXPECT_EQ(le(wav, 20, 2), 1u);  // PCM
    EXPECT_EQ(le(wav, 22, 2), 1u);  // mono
    EXPECT_EQ(le(wav, 34, 2), 16u); // bits
    EXPECT_NEAR(static_cast<double>(wav.size() - 44) / le(wav, 28, 4), 0.4, 0.05); // seconds

    // Audible, unclipped, and silent at both ends so it does not click.
    std::vector<int> level;
    for (std::size_t at = 44; at + 1 < wav.size(); at += 2)
        level.push_back(std::abs(static_cast<int>(static_cast<std::int16_t>(le(wav, at, 2)))));
    const int peak = *std::max_element(level.begin(), level.end());
    EXPECT_TRUE(peak > 8000 && peak < 32767) << peak;
    EXPECT_TRUE(level.front() < 100 && level.back() < 100) << level.front() << " " << level.back();
}

TEST(AssetsTest, ExpertSourceIsStagedWithItsInputsAndNoCompiledExpert)
{
    const std::string source = readFile(QUORVANE_BIN_DIR "/Quorvane.mq4");
    for (const char* input : {"input int    magic            = 300000;", "input double LimitedFunds     = 0;",
                              "input double MaximumRisk      = 0.1;", "input int    LevelNum         = 16;",
                              "input bool   OnlyClose        = false;", "input double LP               = 1;",
                              "input double MaxSignal        = 0.25;", "input int    MaxAgeSeconds    = 60;",
                              "#include \"QuorvaneSignal.mqh\"", "#include \"QuorvaneTrade4.mqh\""})
        EXPECT_NE(source.find(input), std::string::npos) << input;
    // A fake compiled expert would be worse than none.
    EXPECT_FALSE(fs::exists(QUORVANE_BIN_DIR "/Quorvane.ex4"));
    // The MQL5 advisor and the includes the advisors need beside it, as they are in the source tree.
    EXPECT_FALSE(fs::exists(QUORVANE_BIN_DIR "/Quorvane.ex5"));
    for (const std::string name : {"Quorvane.mq5", "QuorvaneSignal.mqh", "QuorvaneTrade4.mqh", "QuorvaneTrade5.mqh"})
        EXPECT_EQ(readFile(QUORVANE_BIN_DIR "/" + name), readFile(QUORVANE_SOURCE_DIR "/bridge/ea/" + name)) << name;
    EXPECT_NE(readFile(QUORVANE_BIN_DIR "/QuorvaneSignal.mqh").find("FILE_ANSI"), std::string::npos);
}

} // namespace
} // namespace quorvane
