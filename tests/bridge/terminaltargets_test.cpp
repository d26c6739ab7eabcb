// SPDX-License-Identifier: MIT
// What a terminal folder resolves to, against scratch trees laid out like the
// terminals do: before build 600, portable, data folders in a Wine prefix,
// and the broken trees a user's machine may hold.

#include "bridge/terminaltargets.h"

#include "bridge/commonfolder.h"
#include "tests/support/scratchfolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <future>
#include <vector>

namespace quorvane {
namespace {

using namespace test;
namespace fs = std::filesystem;
using Names = std::set<std::string>;

std::string utf16le(const std::u16string& text, bool bom = true)
{
    std::string out = bom ? "\xFF\xFE" : "";
    for (const char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

const std::string kRoaming = "pfx/drive_c/users/trader/AppData/Roaming/MetaQuotes/Terminal/";
const std::string kOldRoaming = "pfx/drive_c/users/trader/Application Data/MetaQuotes/Terminal/";
const std::string kHash = "0123456789ABCDEF0123456789ABCDEF";
const std::string kOtherHash = "FEDCBA9876543210FEDCBA9876543210";
const std::string kInstall = "pfx/drive_c/Program Files (x86)/MetaTrader 4";
const std::string kInstallOrigin = utf16le(u"C:\\Program Files (x86)\\MetaTrader 4");
const std::string kInstall5 = "pfx/drive_c/Program Files/MetaTrader 5";
const std::string kInstall5Origin = utf16le(u"C:\\Program Files\\MetaTrader 5");

class TerminalTargetsTest : public ::testing::Test {
protected:
    /// Folders ("…/") and files ("path=content") below the scratch folder.
    void lay(const std::vector<std::string>& entries) const
    {
        for (const std::string& entry : entries) {
            const std::size_t eq = entry.find('=');
            if (eq == std::string::npos) {
                fs::create_directories(m_dir / entry);
                continue;
            }
            const std::string path = m_dir / entry.substr(0, eq);
            fs::create_directories(fs::path(path).parent_path());
            writeFile(path, entry.substr(eq + 1));
        }
    }
    /// A data folder with MQL4/Experts and MQL4/Files (MQL5/… for `mql` "MQL5") naming `origin`.
    static std::vector<std::string> dataFolder(const std::string& at, const std::string& origin,
                                               const std::string& mql = "MQL4")
    {
        return {at + mql + "/Experts/", at + mql + "/Files/", at + "origin.txt=" + origin};
    }
    /// The targets of `folder` as paths below the scratch folder: "expert | signal".
    std::vector<std::string> resolve(const std::string& folder, bool* missing = nullptr) const
    {
        const TerminalTargets t = resolveTerminalTargets(m_dir / folder);
        std::vector<std::string> out;
        for (const TerminalTarget& target : t.targets)
            out.push_back(relative(target.expertFolder) + " | " + relative(target.signalFolder) + " | "
                          + terminalKindName(target.kind));
        if (missing)
            *missing = t.dataFolderMissing;
        return out;
    }
    std::string relative(const std::string& path) const
    {
        const std::string root = m_dir.path() + "/";
        return path.rfind(root, 0) == 0 ? path.substr(root.size()) : path;
    }

    ScratchFolder m_dir;
};

std::string legacy(const std::string& folder)
{
    return folder + "/experts | " + folder + "/experts/files | MT4";
}
std::string mql4(const std::string& folder)
{
    return folder + "/MQL4/Experts | " + folder + "/MQL4/Files | MT4";
}
std::string mql5(const std::string& folder)
{
    return folder + "/MQL5/Experts | " + folder + "/MQL5/Files | MT5";
}
std::vector<std::string> plus(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(TerminalTargetsTest, LayoutsResolveToEveryExistingTarget)
{
    const std::string data = kRoaming + kHash;
    const struct {
        const char* name;
        std::vector<std::string> tree;
        std::string chosen;
        std::vector<std::string> targets;
        bool dataFolderMissing;
    } rows[] = {
        {"Legacy", {"mt4/experts/files/", "mt4/terminal.exe=x"}, "mt4", {legacy("mt4")}, false},
        {"LegacyWithoutFilesAsToday", {"mt4/experts/"}, "mt4", {legacy("mt4")}, false},
        {"Portable", {"mt4/MQL4/Experts/", "mt4/MQL4/Files/", "mt4/terminal.exe=x"}, "mt4", {mql4("mt4")}, false},
        {"PortableSpeltInLowerCase", {"mt4/mql4/experts/", "mt4/mql4/files/"}, "mt4",
         {"mt4/mql4/experts | mt4/mql4/files | MT4"}, false},
        {"DataFolderChosenDirectly", dataFolder(kRoaming + kHash + "/", kInstallOrigin), data, {mql4(data)}, false},
        {"WinePrefixWithUtf16Origin", [&] {
             auto t = dataFolder(kRoaming + kHash + "/", kInstallOrigin);
             t.push_back(kInstall + "/terminal.exe=x");
             return t;
         }(), kInstall, {mql4(data)}, false},
        {"OlderPrefixUtf8OriginOtherCaseTrailingSeparator", [&] {
             auto t = dataFolder(kOldRoaming + kHash + "/", "c:\\program files (X86)\\metatrader 4\\\r\n");
             t.push_back(kInstall + "/terminal.exe=x");
             return t;
         }(), kInstall, {mql4(kOldRoaming + kHash)}, false},
        {"UpgradedTerminalHasBoth", [&] {
             auto t = dataFolder(kRoaming + kHash + "/", kInstallOrigin);
             t.push_back(kInstall + "/experts/files/");
             return t;
         }(), kInstall, {legacy(kInstall), mql4(data)}, false},
        {"UpgradedTerminalWithoutOldFilesFolderServesOnlyTheNewOne", [&] {
             auto t = dataFolder(kRoaming + kHash + "/", kInstallOrigin);
             t.push_back(kInstall + "/experts/");
             return t;
         }(), kInstall, {mql4(data)}, false},
        {"NoneFallsBackToLegacy", {"plain/"}, "plain", {legacy("plain")}, false},
        {"OriginOfAnotherInstallation", [&] {
             auto t = dataFolder(kRoaming + kHash + "/", utf16le(u"C:\\Program Files\\Other MT4"));
             t.push_back(kInstall + "/terminal.exe=x");
             return t;
         }(), kInstall, {legacy(kInstall)}, true},
        {"InstallationNeverStarted", {kInstall + "/terminal.exe=x", "pfx/drive_c/users/trader/"}, kInstall,
         {legacy(kInstall)}, true},
        {"DataFolderWithoutFilesStillTakesTheExpert", {data + "/MQL4/Experts/", data + "/origin.txt=" + kInstallOrigin,
                                                       kInstall + "/terminal.exe=x"},
         kInstall, {mql4(data)}, false},
        {"DataFolderWithoutExpertsIsNoTarget", {data + "/MQL4/Files/", data + "/origin.txt=" + kInstallOrigin,
                                                kInstall + "/terminal.exe=x"},
         kInstall, {legacy(kInstall)}, true},
        {"Mt5Portable", {"mt4/MQL5/Experts/", "mt4/MQL5/Files/", "mt4/terminal64.exe=x"}, "mt4", {mql5("mt4")}, false},
        {"Mt5DataFolderChosenDirectly", dataFolder(kRoaming + kHash + "/", kInstall5Origin, "MQL5"), data, {mql5(data)},
         false},
        {"Mt5InstallationInWinePrefix64Bit",
         plus(dataFolder(kRoaming + kHash + "/", kInstall5Origin, "MQL5"), {kInstall5 + "/terminal64.exe=x"}), kInstall5,
         {mql5(data)}, false},
        {"Mt5InstallationInWinePrefix32Bit",
         plus(dataFolder(kRoaming + kHash + "/", kInstall5Origin, "MQL5"), {kInstall5 + "/terminal.exe=x"}), kInstall5,
         {mql5(data)}, false},
        {"Mt5InstallationNeverStarted", {kInstall5 + "/terminal64.exe=x", "pfx/drive_c/users/trader/"}, kInstall5,
         {legacy(kInstall5)}, true},
        {"Mt4AndMt5InOnePrefixMt5Chosen",
         plus(plus(dataFolder(kRoaming + kHash + "/", kInstallOrigin),
                   dataFolder(kRoaming + kOtherHash + "/", kInstall5Origin, "MQL5")),
              {kInstall + "/terminal.exe=x", kInstall5 + "/terminal64.exe=x"}),
         kInstall5, {mql5(kRoaming + kOtherHash)}, false},
        {"Mt4AndMt5InOnePrefixMt4Chosen",
         plus(plus(dataFolder(kRoaming + kHash + "/", kInstallOrigin),
                   dataFolder(kRoaming + kOtherHash + "/", kInstall5Origin, "MQL5")),
              {kInstall + "/terminal.exe=x", kInstall5 + "/terminal64.exe=x"}),
         kInstall, {mql4(data)}, false},
        {"DataFolderWithBothServesBoth",
         plus(dataFolder(kRoaming + kHash + "/", kInstallOrigin), dataFolder(kRoaming + kHash + "/", kInstallOrigin, "MQL5")),
         kInstall, {mql4(data), mql5(data)}, false},
        {"DataFolderWithBothChosenDirectly",
         plus(dataFolder(kRoaming + kHash + "/", kInstallOrigin), dataFolder(kRoaming + kHash + "/", kInstallOrigin, "MQL5")),
         data, {mql4(data), mql5(data)}, false},
        {"TwoUsersBothServed", [&] {
             auto t = dataFolder(kRoaming + kHash + "/", kInstallOrigin);
             for (const auto& e : dataFolder("pfx/drive_c/users/other/AppData/Roaming/MetaQuotes/Terminal/" + kOtherHash
                                                 + "/",
                                             kInstallOrigin))
                 t.push_back(e);
             return t;
         }(), kInstall, {}, false}, // order of users is the directory's; checked as a set below
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(m_dir / "mt4");
        fs::remove_all(m_dir / "plain");
        fs::remove_all(m_dir / "pfx");
        lay(row.tree);
        const Names before = listTree(m_dir.path());
        bool missing = false;
        const std::vector<std::string> got = resolve(row.chosen, &missing);
        if (row.targets.empty())
            EXPECT_EQ(got.size(), 2u);
        else
            EXPECT_EQ(got, row.targets);
        EXPECT_EQ(missing, row.dataFolderMissing);
        EXPECT_EQ(listTree(m_dir.path()), before) << "resolving writes nothing";
    }
}

TEST_F(TerminalTargetsTest, LegacyTargetIsTheFolderTextJoinedAsItIs)
{
    EXPECT_EQ(legacyTarget("/opt/mt4/"), (TerminalTarget{"/opt/mt4//experts", "/opt/mt4//experts/files"}));
    EXPECT_TRUE(resolveTerminalTargets("").targets.empty());
    lay({"mt4/experts/files/"});
    EXPECT_EQ(resolveTerminalTargets(m_dir / "mt4/").targets, std::vector{legacyTarget(m_dir / "mt4/")});
}

TEST_F(TerminalTargetsTest, InstallationReachedThroughDosdevicesLink)
{
    lay(dataFolder(kRoaming + kHash + "/", kInstallOrigin));
    lay({kInstall + "/terminal.exe=x", "pfx/dosdevices/"});
    fs::create_directory_symlink("../drive_c", m_dir / "pfx/dosdevices/c:");
    EXPECT_EQ(resolve("pfx/dosdevices/c:/Program Files (x86)/MetaTrader 4"), std::vector{mql4(kRoaming + kHash)});
}

TEST_F(TerminalTargetsTest, BadTreesNeitherHangNorMatchNorWrite)
{
    lay({kInstall + "/terminal.exe=x"});
    const std::string root = m_dir / kRoaming;
    // Data folders that must not match, each broken another way.
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"00000000000000000000000000000001", ""},                                 // empty
        {"00000000000000000000000000000002", "\xFF\xFE\x00\xD8\x41"},           // lone surrogate, odd length
        {"00000000000000000000000000000003", std::string(1 << 20, 'C')},         // huge, no line end
        {"00000000000000000000000000000004", "C:\\Program Files (x86)\\MetaTrader 4 and more"},
        {"not-a-data-folder", kInstallOrigin},                                    // name is no hash
        {"00000000000000000000000000000005", std::string("\xC3\x28\x00\x00\x01", 5)},
    };
    for (const auto& [name, origin] : bad)
        lay(dataFolder(kRoaming + name + "/", origin));
    // origin.txt that is a folder, a FIFO and a link loop.
    lay({kRoaming + "00000000000000000000000000000006/MQL4/Experts/",
         kRoaming + "00000000000000000000000000000006/origin.txt/"});
    lay({kRoaming + "00000000000000000000000000000007/MQL4/Experts/"});
    ASSERT_EQ(::mkfifo((root + "00000000000000000000000000000007/origin.txt").c_str(), 0600), 0);
    lay({kRoaming + "00000000000000000000000000000008/MQL4/Experts/"});
    fs::create_symlink("origin.txt", root + "00000000000000000000000000000008/origin.txt");
    // Link loops where folders are looked for.
    fs::create_directory_symlink(".", root + "00000000000000000000000000000009");
    fs::create_symlink("loop", m_dir / "pfx/drive_c/users/loop");
    // Many data folders of other installations, of both kinds; the right ones among them.
    const std::string other = utf16le(u"C:\\Other");
    for (int i = 0; i < 300; ++i) {
        char name[40];
        std::snprintf(name, sizeof name, "%032X", 0x100000 + i);
        lay({kRoaming + name + (i % 2 ? "/MQL5" : "/MQL4") + "/Experts/", kRoaming + name + "/origin.txt=" + other});
    }

    bool missing = false;
    auto done = std::async(std::launch::async, [&] { return resolve(kInstall, &missing); });
    ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "resolution hangs";
    EXPECT_EQ(done.get(), std::vector{legacy(kInstall)});
    EXPECT_TRUE(missing);

    lay(dataFolder(kRoaming + "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA/", kInstallOrigin));
    EXPECT_EQ(resolve(kInstall), std::vector{mql4(kRoaming + "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA")});
    lay(dataFolder(kRoaming + "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB/", kInstallOrigin, "MQL5"));
    const std::vector<std::string> both = resolve(kInstall);
    EXPECT_EQ(Names(both.begin(), both.end()),
              Names({mql4(kRoaming + "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"), mql5(kRoaming + "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB")}));
}

// Wine maps each drive letter by a link dosdevices/<letter>:, to a folder inside
// the prefix or anywhere else; origin.txt then names "D:\…".
TEST_F(TerminalTargetsTest, EveryDriveLinkOfThePrefixIsMapped)
{
    const std::string data = kRoaming + kHash;
    const struct {
        const char* name;
        std::string driveD; ///< where dosdevices/d: leads, relative to the scratch folder
        std::string installation, chosen;
    } rows[] = {
        {"DriveOutsideThePrefixChosenThroughItsLink", "games", "games/MetaTrader 5", "pfx/dosdevices/d:/MetaTrader 5"},
        {"DriveInsideThePrefixChosenByItsRealPath", "pfx/drive_d", "pfx/drive_d/MetaTrader 5", "pfx/drive_d/MetaTrader 5"},
        {"DriveInsideThePrefixChosenThroughItsLink", "pfx/drive_d", "pfx/drive_d/MetaTrader 5",
         "pfx/dosdevices/d:/MetaTrader 5"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(m_dir / "pfx");
        fs::remove_all(m_dir / "games");
        lay(dataFolder(kRoaming + kHash + "/", utf16le(u"d:\\MetaTrader 5"), "MQL5"));
        lay({row.installation + "/terminal64.exe=x", "pfx/dosdevices/"});
        fs::create_directory_symlink("../drive_c", m_dir / "pfx/dosdevices/c:");
        fs::create_directory_symlink(m_dir / row.driveD, m_dir / "pfx/dosdevices/d:");
        fs::create_directory_symlink("/", m_dir / "pfx/dosdevices/z:"); // holds every folder; the closer drive wins
        fs::create_symlink("/dev/null", m_dir / "pfx/dosdevices/d::"); // a device, no drive
        bool missing = true;
        EXPECT_EQ(resolve(row.chosen, &missing), std::vector{mql5(data)});
        EXPECT_FALSE(missing) << "not \"start the terminal once\"";
    }
}

TEST_F(TerminalTargetsTest, PlatformWithAppDataThroughAStandInLocator)
{
    // Where the platform has %APPDATA%, the locator names its Terminal folder and
    // the installation's own path; the resolution is the same.
    struct AppData final : DataFolderLocator {
        std::string terminal;
        std::optional<DataFolderPlaces> Locate(const std::string&) const override
        {
            return DataFolderPlaces{"C:\\Program Files\\MetaTrader 4", {terminal}};
        }
    } appData;
    appData.terminal = m_dir / "AppData/Roaming/MetaQuotes/Terminal";
    lay(dataFolder("AppData/Roaming/MetaQuotes/Terminal/" + kHash + "/", utf16le(u"C:\\PROGRAM FILES\\MetaTrader 4")));
    lay({"install/terminal.exe=x"});
    const TerminalTargets t = resolveTerminalTargets(m_dir / "install", appData);
    ASSERT_EQ(t.targets.size(), 1u);
    EXPECT_EQ(relative(t.targets[0].signalFolder), "AppData/Roaming/MetaQuotes/Terminal/" + kHash + "/MQL4/Files");
}

// The shared folder: beside the data folders of one application-data folder, made
// when missing, refused when it is no folder or leads out of that folder.
TEST_F(TerminalTargetsTest, SharedFolderOfTheApplicationDataFolder)
{
    const std::string terminal = m_dir / kRoaming; // ends in "/"
    const std::string files = terminal + "Common/Files";
    const struct {
        const char* name;
        std::vector<std::string> tree;
        std::string chosen;
        bool on;
        std::function<void()> spoil; ///< puts something in Common's way
        std::vector<std::string> shared; ///< signal folders of the shared targets, below the scratch folder
        std::string refusal;             ///< the start of the one refusal, "" for none
    } rows[] = {
        {"Off", dataFolder(kRoaming + kHash + "/", kInstall5Origin, "MQL5"), kRoaming + kHash, false, {}, {}, ""},
        {"Mt5DataFolderMakesCommonFiles", dataFolder(kRoaming + kHash + "/", kInstall5Origin, "MQL5"), kRoaming + kHash,
         true, {}, {kRoaming + "Common/Files"}, ""},
        {"Mt4AndMt5DataFoldersShareOne",
         plus(plus(dataFolder(kRoaming + kHash + "/", kInstallOrigin),
                   dataFolder(kRoaming + kOtherHash + "/", kInstallOrigin, "MQL5")),
              {kInstall + "/terminal.exe=x", kRoaming + "Common/Files/"}),
         kInstall, true, {}, {kRoaming + "Common/Files"}, ""},
        {"PortableHasNone", {"mt4/MQL5/Experts/", "mt4/MQL5/Files/"}, "mt4", true, {}, {}, ""},
        {"LegacyHasNone", {"mt4/experts/files/"}, "mt4", true, {}, {}, ""},
        {"DataFolderOutsideAnyApplicationDataFolder", dataFolder("saved/" + kHash + "/", kInstallOrigin), "saved/" + kHash,
         true, {}, {}, ""},
        {"CommonIsAFile", plus(dataFolder(kRoaming + kHash + "/", kInstallOrigin), {kRoaming + "Common=x"}),
         kRoaming + kHash, true, {}, {}, "Shared folder not written: " + terminal + "Common is not a folder"},
        {"CommonLeadsOutOfThePrefix", dataFolder(kRoaming + kHash + "/", kInstallOrigin), kRoaming + kHash, true,
         [&] {
             fs::create_directories(m_dir / "elsewhere/Files");
             fs::create_directory_symlink(m_dir / "elsewhere", terminal + "Common");
         },
         {}, "Shared folder not written: " + terminal + "Common leads out of "},
        {"CommonFilesLeadsOutOfThePrefix", dataFolder(kRoaming + kHash + "/", kInstallOrigin), kRoaming + kHash, true,
         [&] {
             fs::create_directories(m_dir / "elsewhere");
             fs::create_directories(terminal + "Common");
             fs::create_directory_symlink(m_dir / "elsewhere", files);
         },
         {}, "Shared folder not written: " + files + " leads out of "},
        {"DanglingCommonLink", dataFolder(kRoaming + kHash + "/", kInstallOrigin), kRoaming + kHash, true,
         [&] { fs::create_directory_symlink(m_dir / "nowhere", terminal + "Common"); }, {},
         "Shared folder not written: " + terminal + "Common is not a folder"},
        {"CommonLinkInsideTheApplicationDataFolder",
         plus(dataFolder(kRoaming + kHash + "/", kInstallOrigin), {"pfx/drive_c/users/trader/AppData/Roaming/Shared/"}),
         kRoaming + kHash, true,
         [&] { fs::create_directory_symlink("../../Shared", terminal + "Common"); },
         {"pfx/drive_c/users/trader/AppData/Roaming/Shared/Files"}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const char* top : {"pfx", "mt4", "saved", "elsewhere"})
            fs::remove_all(m_dir / top);
        lay(row.tree);
        if (row.spoil)
            row.spoil();
        const Names outside = fs::exists(m_dir / "elsewhere") ? listTree(m_dir / "elsewhere") : Names();
        const TargetsToServe served = targetsToServe(resolveTerminalTargets(m_dir / row.chosen).targets, row.on);
        std::vector<std::string> shared;
        for (const TerminalTarget& t : served.targets) {
            if (t.kind == TerminalKind::Shared) {
                EXPECT_EQ(t.expertFolder, "");
                EXPECT_TRUE(sharedFolderUnmoved(t));
                shared.push_back(relative(t.signalFolder));
            }
        }
        EXPECT_EQ(shared, row.shared);
        ASSERT_EQ(served.refusals.size(), row.refusal.empty() ? 0u : 1u);
        if (!row.refusal.empty()) {
            EXPECT_EQ(served.refusals[0].rfind(row.refusal, 0), 0u) << served.refusals[0];
        }
        if (fs::exists(m_dir / "elsewhere")) {
            EXPECT_EQ(listTree(m_dir / "elsewhere"), outside) << "nothing made outside";
        }
        if (row.shared.empty() && row.refusal.empty()) {
            EXPECT_FALSE(fs::exists(terminal + "Common")) << "made only for a shared folder that is served";
        }
        // Served again, the shared folder is not added twice; switched off, it goes.
        EXPECT_EQ(targetsToServe(served.targets, row.on).targets, served.targets);
        EXPECT_EQ(targetsToServe(served.targets, false).targets.size(), served.targets.size() - shared.size());
    }
}

TEST_F(TerminalTargetsTest, OriginFileEncodings)
{
    const struct {
        const char* name;
        std::string bytes;
        std::optional<std::string> text;
    } rows[] = {
        {"Utf16LeWithBom", utf16le(u"C:\\MT4 \u00C9t\u00E9\r\n"), "C:\\MT4 \xC3\x89t\xC3\xA9"},
        {"Utf16LeWithoutBom", utf16le(u"C:\\MT4", false), "C:\\MT4"},
        {"Utf16BeWithBom", std::string("\xFE\xFF\x00" "C\x00:", 6), "C:"},
        {"Utf8WithBom", "\xEF\xBB\xBF" "C:\\\xD0\x9C\xD0\xA2" "4\n", "C:\\\xD0\x9C\xD0\xA2" "4"},
        {"AnsiReadAsLatin1", "C:\\\xC9t\xE9  ", "C:\\\xC3\x89t\xC3\xA9"},
        {"OnlyTheFirstLine", "C:\\A\nC:\\B", "C:\\A"},
        {"Empty", "", std::nullopt},
        {"OnlyAByteOrderMark", "\xFF\xFE", std::nullopt},
        {"HugeWithoutLineEnd", std::string(100000, 'x'), std::nullopt},
        {"HugeAfterTheFirstLine", "C:\\A\r\n" + std::string(100000, 'x'), "C:\\A"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(m_dir / "origin.txt", row.bytes);
        EXPECT_EQ(readOriginFile(m_dir / "origin.txt"), row.text);
    }
    EXPECT_EQ(readOriginFile(m_dir / "missing.txt"), std::nullopt);
}

TEST(SameWindowsPathTest, CaseSeparatorsAndTrailingSeparators)
{
    const struct {
        const char *a, *b;
        bool same;
    } rows[] = {
        {"C:\\Program Files\\MT4", "c:\\PROGRAM FILES\\mt4", true},
        {"C:\\Program Files\\MT4\\", "C:/Program Files/MT4", true},
        {"C:\\Users\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD", "C:\\users\\\xD0\xB8\xD0\xB2\xD0\xB0\xD0\xBD", true}, // Cyrillic
        {"C:\\\xC3\x89t\xC3\xA9", "c:\\\xC3\xA9T\xC3\x89", true},
        {"C:\\\xC4\x8C", "C:\\\xC4\x8D", true}, // Latin Extended-A pair
        {"C:\\\xC5\xB8", "c:\\\xC3\xBF", true},  // its one pair outside the block
        {"C:\\\xC5\xB8", "c:\\\xC5\xB9", false},
        {"C:\\MT4", "C:\\MT4 2", false},
        {"C:\\MT4", "D:\\MT4", false},
        {"", "", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.a) + " ~ " + row.b);
        EXPECT_EQ(sameWindowsPath(row.a, row.b), row.same);
    }
}

} // namespace
} // namespace quorvane
