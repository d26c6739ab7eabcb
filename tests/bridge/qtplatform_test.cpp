#include "qtplatform.h"

#include "tempdir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>

namespace quorvane {
namespace {

using test::TempDir;
using test::writeFile;

class QtPlatformTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "bridge_test";
            static char* argv[] = {name, nullptr};
            s_app = std::make_unique<QApplication>(argc, argv);
        }
    }
    // Freed here, not at static destruction, where Qt's own globals may be gone.
    static void TearDownTestSuite() { s_app.reset(); }

    void SetUp() override { m_previousDir = QDir::currentPath(); }
    void TearDown() override { QDir::setCurrent(m_previousDir); }

    static std::unique_ptr<QApplication> s_app;
    QString m_previousDir;
    TempDir m_dir;
};

std::unique_ptr<QApplication> QtPlatformTest::s_app;

struct ResolveRow {
    const char* label;
    bool inCurrent;
    bool currentIsFolder;
    bool inProgram;
    const char* expected; // "current", "program" or ""
};

void PrintTo(const ResolveRow& row, std::ostream* os) { *os << row.label; }

class ResolveSoundFileTest : public ::testing::TestWithParam<ResolveRow> {
protected:
    TempDir m_dir;
};

TEST_P(ResolveSoundFileTest, LooksInCurrentDirectoryBeforeProgramFolder)
{
    const ResolveRow& row = GetParam();
    const std::string current = m_dir / "current";
    const std::string program = m_dir / "program";
    std::filesystem::create_directories(current);
    std::filesystem::create_directories(program);
    if (row.inCurrent && row.currentIsFolder)
        std::filesystem::create_directories(current + "/open.wav");
    else if (row.inCurrent)
        writeFile(current + "/open.wav", "RIFF");
    if (row.inProgram)
        writeFile(program + "/open.wav", "RIFF");

    const std::string resolved = ResolveSoundFile("open.wav", current, program);

    const std::string where = row.expected;
    const std::string expected = where.empty() ? "" : (m_dir / where) + "/open.wav";
    EXPECT_EQ(resolved, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Places, ResolveSoundFileTest,
    ::testing::Values(ResolveRow{"OnlyCurrent", true, false, false, "current"},
                      ResolveRow{"OnlyProgram", false, false, true, "program"},
                      ResolveRow{"BothPreferCurrent", true, false, true, "current"},
                      ResolveRow{"Nowhere", false, false, false, ""},
                      ResolveRow{"FolderNamedLikeSoundIsSkipped", true, true, true, "program"}),
    [](const ::testing::TestParamInfo<ResolveRow>& info) { return std::string(info.param.label); });

TEST_F(QtPlatformTest, SoundPlayerPlaysOpenWavFromCurrentDirectory)
{
    const std::string current = m_dir / "current";
    std::filesystem::create_directories(current);
    std::filesystem::copy_file(QUORVANE_BIN_DIR "/open.wav", current + "/open.wav",
                               std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(current)));
    QObject owner;
    QtSoundPlayer player(&owner, m_dir / "program-without-sound");

    EXPECT_NO_THROW(player.PlayAsync("open.wav"));

    EXPECT_EQ(player.lastResolvedPath(), current + "/open.wav");
}

TEST_F(QtPlatformTest, SoundPlayerFallsBackToDefaultSoundWhenNotFound)
{
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(m_dir.path())));
    QObject owner;
    QtSoundPlayer player(&owner, m_dir / "program-without-sound");

    EXPECT_NO_THROW(player.PlayAsync("open.wav"));

    EXPECT_EQ(player.lastResolvedPath(), "");
}

TEST_F(QtPlatformTest, SoundPlayerOutlivingItsParentObjectIsSafe)
{
    auto owner = std::make_unique<QObject>();
    auto player = MakeQtSoundPlayer(owner.get());
    owner.reset();

    // Playing and destroying after the parent took the sound effect with it
    // must neither crash nor free it twice.
    EXPECT_NO_THROW(player->PlayAsync("open.wav"));
    player.reset();
}

TEST_F(QtPlatformTest, ExeTargetGoesToWineWhenOnPath)
{
    // A stand-in "wine" that records what it was asked to run.
    const std::string bin = m_dir / "bin";
    const std::string record = m_dir / "wine-args.txt";
    const std::string mt4 = m_dir / "mt4";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(mt4);
    writeFile(bin + "/wine", "#!/bin/sh\nprintf '%s' \"$1\" > " + record + ".part && mv " + record +
                                 ".part " + record + "\n");
    std::filesystem::permissions(bin + "/wine", std::filesystem::perms::owner_all);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin) + ":" + oldPath);

    MakeDesktopShellOpener()->Open("open", mt4 + "/terminal.exe");

    const bool ran = QTest::qWaitFor([&] { return std::filesystem::exists(record); }, 10000);
    qputenv("PATH", oldPath);
    ASSERT_TRUE(ran);
    EXPECT_EQ(test::readFile(record), mt4 + "/terminal.exe");
}

} // namespace
} // namespace quorvane
