// SPDX-License-Identifier: MIT
// Where the settings file and the logs go: beside the executable when they can
// be kept there, the per-user folders otherwise, and a clear message when no
// folder can be had. Permissions only bind ordinary users, and the suite may
// run as root, so every case runs in a child process as "nobody" then.

#include "tests/support/scratchfolder.h"
#include "tests/support/unprivileged.h"

#include "app/filelocations.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <sstream>
#include <vector>

namespace quorvane::test {
namespace {

namespace fs = std::filesystem;

std::string serialise(const LocationChoice& c)
{
    const FileLocations& l = c.locations;
    return l.settingsFile + "\n" + l.alarmLogFile + "\n" + l.errorLogFolder + "\n" + l.configFolder + "\n"
         + l.stateFolder + "\n" + c.error;
}

/// "@" stands for the scratch folder in the table.
std::string expand(const std::string& text, const std::string& root)
{
    std::string out;
    for (const char c : text)
        out += c == '@' ? root : std::string(1, c);
    return out;
}

class FileLocationsTest : public ::testing::Test {
protected:
    ScratchFolder root;

    // "nobody" must reach the rows' folders inside.
    FileLocationsTest() { ::chmod(root.path().c_str(), 0755); }
    ~FileLocationsTest() override
    {
        // Read-only folders inside would stop the scratch folder's removal.
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(root.path(), ec))
            if (entry.is_directory(ec))
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }

    void makeFolder(const std::string& path, mode_t mode)
    {
        fs::create_directories(path);
        ::chmod(path.c_str(), mode);
    }
    void makeFile(const std::string& path, mode_t mode, const std::string& content = "x")
    {
        writeFile(path, content);
        ::chmod(path.c_str(), mode);
    }
    /// A row's home and program folder holding the program; returns the program folder.
    std::string makeInstallation(const std::string& base)
    {
        const std::string prog = base + "/prog";
        makeFolder(base + "/home", 0755);
        makeFolder(prog, 0755);
        makeFile(prog + "/quorvane", 0755);
        return prog;
    }
};

TEST_F(FileLocationsTest, DecidesBesideTheExecutableOrThePerUserFolders)
{
    struct File {
        const char* name;
        mode_t mode; // 0: a folder in place of the file
    };
    const struct Row {
        const char* name;
        mode_t programFolder;
        std::vector<File> files;
        const char *home, *configHome, *stateHome;
        const char *settings, *alarmLog, *errorLogFolder, *configFolder, *stateFolder, *error;
    } rows[] = {
        {"WritableProgramFolder", 0755, {}, "@/home", "@/cfg", "@/state",
         "@/prog/quorvane.INI", "@/prog/log.txt", "@/prog/", "", "", ""},
        {"WritableFolderKeepsReadOnlyFilesBeside", 0755, {{"quorvane.INI", 0444}, {"log.txt", 0444}},
         "@/home", "@/cfg", "@/state",
         "@/prog/quorvane.INI", "@/prog/log.txt", "@/prog/", "", "", ""},
        {"ReadOnlyFolderWithWritableSettingsFile", 0555, {{"quorvane.INI", 0644}}, "@/home", "@/cfg", "@/state",
         "@/prog/quorvane.INI", "@/cfg/quorvane/log.txt", "@/state/quorvane/", "@/cfg/quorvane/",
         "@/state/quorvane/", ""},
        {"ReadOnlyFolderWithAllThreeFilesWritable", 0555,
         {{"quorvane.INI", 0644}, {"log.txt", 0644}, {"error_log.txt", 0644}}, "@/home", "@/cfg", "@/state",
         "@/prog/quorvane.INI", "@/prog/log.txt", "@/prog/", "", "", ""},
        {"ReadOnlyFolderWithReadOnlySettingsFile", 0555, {{"quorvane.INI", 0444}}, "@/home", "@/cfg", "@/state",
         "@/cfg/quorvane/quorvane.INI", "@/cfg/quorvane/log.txt", "@/state/quorvane/", "@/cfg/quorvane/",
         "@/state/quorvane/", ""},
        {"ReadOnlyFolderWithAFolderForASettingsFile", 0555, {{"quorvane.INI", 0}}, "@/home", "@/cfg", "@/state",
         "@/cfg/quorvane/quorvane.INI", "@/cfg/quorvane/log.txt", "@/state/quorvane/", "@/cfg/quorvane/",
         "@/state/quorvane/", ""},
        {"ReadOnlyFolderWithoutFiles", 0555, {}, "@/home", "@/cfg", "@/state",
         "@/cfg/quorvane/quorvane.INI", "@/cfg/quorvane/log.txt", "@/state/quorvane/", "@/cfg/quorvane/",
         "@/state/quorvane/", ""},
        {"XdgUnsetFallsBackToHome", 0555, {}, "@/home", "", "",
         "@/home/.config/quorvane/quorvane.INI", "@/home/.config/quorvane/log.txt",
         "@/home/.local/state/quorvane/", "@/home/.config/quorvane/", "@/home/.local/state/quorvane/", ""},
        {"RelativeXdgValuesAreIgnored", 0555, {}, "@/home", "cfg", "state",
         "@/home/.config/quorvane/quorvane.INI", "@/home/.config/quorvane/log.txt",
         "@/home/.local/state/quorvane/", "@/home/.config/quorvane/", "@/home/.local/state/quorvane/", ""},
        {"TrailingSlashesAreDropped", 0555, {}, "@/home/", "@/cfg//", "@/state/",
         "@/cfg/quorvane/quorvane.INI", "@/cfg/quorvane/log.txt", "@/state/quorvane/", "@/cfg/quorvane/",
         "@/state/quorvane/", ""},
        {"HomeUnsetButXdgSet", 0555, {}, "", "@/cfg", "@/state",
         "@/cfg/quorvane/quorvane.INI", "@/cfg/quorvane/log.txt", "@/state/quorvane/", "@/cfg/quorvane/",
         "@/state/quorvane/", ""},
        {"HomeUnsetNoXdgKeepsEverythingBesideAndSaysWhy", 0555, {}, "", "", "",
         "@/prog/quorvane.INI", "@/prog/log.txt", "@/prog/", "", "",
         "Quorvane cannot keep its settings: HOME is not set and XDG_CONFIG_HOME names no absolute folder."},
        {"RelativeHome", 0555, {}, "home", "", "",
         "@/prog/quorvane.INI", "@/prog/log.txt", "@/prog/", "", "",
         "Quorvane cannot keep its settings: HOME is not an absolute path (home) and XDG_CONFIG_HOME names no "
         "absolute folder."},
        {"HomeUnsetOnlyConfigSetKeepsTheSettingsButNotTheErrorLog", 0555, {}, "", "@/cfg", "",
         "@/cfg/quorvane/quorvane.INI", "@/cfg/quorvane/log.txt", "@/prog/", "@/cfg/quorvane/", "",
         "Quorvane cannot keep its error log: HOME is not set and XDG_STATE_HOME names no absolute folder."},
        {"NoHomeButAWritableErrorLogBeside", 0555, {{"error_log.txt", 0644}}, "", "", "",
         "@/prog/quorvane.INI", "@/prog/log.txt", "@/prog/", "", "",
         "Quorvane cannot keep its settings: HOME is not set and XDG_CONFIG_HOME names no absolute folder."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string base = root / row.name;
        const std::string prog = makeInstallation(base);
        for (const File& file : row.files) {
            if (file.mode == 0)
                makeFolder(prog + "/" + file.name, 0755);
            else
                makeFile(prog + "/" + file.name, file.mode);
        }
        ::chmod(prog.c_str(), row.programFolder);
        const UserFolders env{expand(row.home, base), expand(row.configHome, base), expand(row.stateHome, base)};
        const std::string got = runAsOrdinaryUser([&] {
            return serialise(chooseFileLocations(prog + "/quorvane", env));
        }, base);
        const std::string want = expand(row.settings, base) + "\n" + expand(row.alarmLog, base) + "\n"
                               + expand(row.errorLogFolder, base) + "\n" + expand(row.configFolder, base) + "\n"
                               + expand(row.stateFolder, base) + "\n" + row.error;
        EXPECT_EQ(got, want);
        EXPECT_FALSE(fs::exists(base + "/cfg")) << "deciding must not create anything";
        EXPECT_FALSE(fs::exists(base + "/home/.config"));
    }
}

TEST_F(FileLocationsTest, TheHistoryLiesBesideTheProgramOrInThePerUserDataFolder)
{
    const struct Row {
        const char* name;
        mode_t programFolder;
        bool settingsFileInPlace; // a writable quorvane.INI beside the program
        const char *home, *dataHome;
        const char *historyFile, *dataFolder;
    } rows[] = {
        {"WritableProgramFolder", 0755, false, "@/home", "@/data", "@/prog/history.sqlite", ""},
        {"ReadOnlyProgramFolder", 0555, false, "@/home", "@/data", "@/data/quorvane/history.sqlite",
         "@/data/quorvane/"},
        {"XdgDataHomeUnset", 0555, false, "@/home", "", "@/home/.local/share/quorvane/history.sqlite",
         "@/home/.local/share/quorvane/"},
        {"RelativeXdgDataHomeIsIgnored", 0555, false, "@/home", "data", "@/home/.local/share/quorvane/history.sqlite",
         "@/home/.local/share/quorvane/"},
        // The settings file is rewritten in place, but SQLite needs room for two more files.
        {"SettingsKeptInAReadOnlyFolder", 0555, true, "@/home", "", "@/home/.local/share/quorvane/history.sqlite",
         "@/home/.local/share/quorvane/"},
        {"NoPerUserPlace", 0555, false, "", "", "@/prog/history.sqlite", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string base = root / row.name;
        const std::string prog = makeInstallation(base);
        if (row.settingsFileInPlace)
            makeFile(prog + "/quorvane.INI", 0666);
        ::chmod(prog.c_str(), row.programFolder);
        const UserFolders env{expand(row.home, base), "", "", expand(row.dataHome, base)};
        const std::string got = runAsOrdinaryUser([&] {
            const LocationChoice choice = chooseFileLocations(prog + "/quorvane", env);
            return choice.locations.historyFile + "\n" + choice.locations.dataFolder + "\n"
                 + describeFileLocations(choice);
        }, base);
        const std::string history = expand(row.historyFile, base);
        EXPECT_EQ(got.substr(0, got.find("Settings file: ")),
                  history + "\n" + expand(row.dataFolder, base) + "\n");
        EXPECT_NE(got.find("\nHistory: " + history + "\n"), std::string::npos) << "named for --help and About";
    }
}

TEST_F(FileLocationsTest, AnInstalledProgramBelowUsrNeverWritesBesideItselfNotEvenAsRoot)
{
    // /usr itself exists everywhere and root may write it: only the rule keeps it clean.
    const LocationChoice choice = chooseFileLocations("/usr/quorvane", {root / "home", "", ""});
    EXPECT_EQ(choice.locations.settingsFile, root / "home/.config/quorvane/quorvane.INI");
    EXPECT_EQ(choice.locations.errorLogFolder, root / "home/.local/state/quorvane/");
    EXPECT_EQ(choice.error, "");
}

TEST_F(FileLocationsTest, PerUserSettingsFileBearsTheExecutablesName)
{
    const std::string prog = root / "opt";
    makeFolder(prog, 0555);
    const std::string got = runAsOrdinaryUser([&] {
        return chooseFileLocations(prog + "/QuorVane.bin", {root / "home", "/cfg", "/state"}).locations.settingsFile;
    }, root.path());
    EXPECT_EQ(got, "/cfg/quorvane/QuorVane.INI");
    EXPECT_EQ(fileLocationsBeside(prog + "/QuorVane.bin").settingsFile, prog + "/QuorVane.INI");
}

TEST_F(FileLocationsTest, CreatesThePerUserFoldersOrSaysWhyNot)
{
    const struct Row {
        const char* name;
        const char *config, *state;
        const char* error; // "" or the expected message
    } rows[] = {
        {"CreatesMissingFoldersAndParents", "@/home/.config/quorvane/", "@/home/.local/state/quorvane/", ""},
        {"ExistingFoldersAreKept", "@/existing/quorvane/", "", ""},
        {"NothingToCreate", "", "", ""},
        {"XdgConfigHomeIsAFile", "@/file/quorvane/", "@/home/.local/state/quorvane/",
         "Quorvane cannot create the folder @/file/quorvane/ for its files: @/file is not a folder."},
        {"HomeNotWritable", "@/locked/.config/quorvane/", "", 
         "Quorvane cannot create the folder @/locked/.config/quorvane/ for its files: Permission denied."},
        {"StateHomeIsAFile", "@/home/.config/quorvane/", "@/file/quorvane/",
         "Quorvane cannot create the folder @/file/quorvane/ for its files: @/file is not a folder."},
        {"BothFailBothNamed", "@/file/quorvane/", "@/locked/state/quorvane/",
         "Quorvane cannot create the folder @/file/quorvane/ for its files: @/file is not a folder. "
         "Quorvane cannot create the folder @/locked/state/quorvane/ for its files: Permission denied."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string base = root / row.name;
        makeFolder(base + "/home", 0755);
        makeFolder(base + "/existing/quorvane", 0750);
        makeFolder(base + "/locked", 0555);
        makeFile(base + "/file", 0644, "someone's file");
        FileLocations where;
        where.configFolder = expand(row.config, base);
        where.stateFolder = expand(row.state, base);
        const std::string got = runAsOrdinaryUser([&] { return createLocationFolders(where); }, base);
        EXPECT_EQ(got, expand(row.error, base));
        EXPECT_EQ(readFile(base + "/file"), "someone's file") << "nothing is lost";
        for (const std::string& folder : {where.configFolder, where.stateFolder}) {
            if (!folder.empty() && got.find(folder) == std::string::npos) {
                EXPECT_TRUE(fs::is_directory(folder)) << folder << " not created";
            }
        }
    }
}

TEST_F(FileLocationsTest, CreatedFoldersArePrivateAndExistingOnesUntouched)
{
    makeFolder(root / "home", 0755);
    FileLocations where;
    where.configFolder = root / "home/.config/quorvane/";
    EXPECT_EQ(runAsOrdinaryUser([&] { return createLocationFolders(where); }, root.path()), "");
    struct stat info {};
    ASSERT_EQ(::stat((root / "home/.config/quorvane").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat((root / "home").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
}

} // namespace
} // namespace quorvane::test
