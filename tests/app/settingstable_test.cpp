// SPDX-License-Identifier: MIT
#include "app/settingstable.h"

#include "tests/support/scratchfolder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace quorvane {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;

// A file with the endpoint and a key of someone else. Reading every setting and
// writing back what the window writes leaves both as they were and appends the
// written keys in their order; "symbel" is not among them.
TEST(SettingsTable, RoundTripWritesOnlyTheWindowsKeysInOrder)
{
    ScratchFolder dir;
    const std::string path = dir / "quorvane.INI";
    writeFile(path, "[Service]\r\nUrl=https://signals.example/soap\r\n[Form]\r\nOther=keep\r\n");
    TIniFile ini(path);
    std::vector<SettingValue> values;
    for (const Setting& setting : formSettings())
        values.push_back(readSetting(ini, setting));
    for (std::size_t i = 0; i < formSettings().size(); ++i) {
        if (formSettings()[i].written)
            writeSetting(ini, formSettings()[i], values[i]);
    }
    EXPECT_EQ(readFile(path), "[Service]\r\nUrl=https://signals.example/soap\r\n[Form]\r\nOther=keep\r\n"
                              "sound=0\r\nhint=1\r\nOpenS=2\r\nCloseS=1\r\nMaxS=25\r\nmt4-path=\r\ncommon-files=0\r\nnotify-lamps=0\r\n");
}

TEST(SettingsTable, CommonFilesIsAFlagHeldByCheckBox3AndOffByDefault)
{
    const auto row = std::find_if(formSettings().begin(), formSettings().end(),
                                  [](const Setting& s) { return std::string(s.key) == "common-files"; });
    ASSERT_NE(row, formSettings().end());
    EXPECT_STREQ(row->control, "CheckBox3");
    EXPECT_TRUE(row->written);
    const struct {
        const char *file;
        bool on;
    } rows[] = {{"", false}, {"common-files=1\n", true}, {"COMMON-FILES=2\n", true}, {"common-files=yes\n", false},
                {"common-files=0\n", false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.file);
        ScratchFolder dir;
        writeFile(dir / "quorvane.INI", std::string("[Form]\n") + r.file);
        EXPECT_EQ(std::get<bool>(readSetting(TIniFile(dir / "quorvane.INI"), *row)), r.on);
    }
}

TEST(SettingsTable, ServiceUrlComesFromItsOwnSectionOnly)
{
    const struct {
        const char *name, *file, *url;
    } rows[] = {
        {"Set", "[Service]\nUrl=https://signals.example/soap\n", "https://signals.example/soap"},
        {"KeyInAnyCase", "[service]\nURL=http://127.0.0.1:8080/\n", "http://127.0.0.1:8080/"},
        {"Absent", "[Form]\nsound=1\n", ""},
        {"InTheWrongSection", "[Form]\nUrl=https://elsewhere.example/\n", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder dir;
        writeFile(dir / "quorvane.INI", row.file);
        EXPECT_EQ(readServiceUrl(TIniFile(dir / "quorvane.INI")), row.url);
    }
    ScratchFolder dir;
    EXPECT_EQ(readServiceUrl(TIniFile(dir / "none.INI")), "") << "no file";
}

TEST(SettingsTable, HistoryDaysDefaultsToThirtyAndZeroSwitchesItOff)
{
    const struct {
        const char* name;
        const char* file;
        int days;
    } rows[] = {
        {"Absent", "[Form]\nsound=1\n", 30},
        {"Set", "[History]\nDays=7\n", 7},
        {"ZeroKeepsNone", "[History]\nDays=0\n", 0},
        {"KeyInAnyCase", "[history]\ndays=90\n", 90},
        {"NegativeIsNoNumberOfDays", "[History]\nDays=-1\n", 30},
        {"NotAnInteger", "[History]\nDays=a week\n", 30},
        {"InTheWrongSection", "[Form]\nDays=5\n", 30},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder dir;
        writeFile(dir / "quorvane.INI", row.file);
        EXPECT_EQ(readHistoryDays(TIniFile(dir / "quorvane.INI")), row.days);
    }
}

} // namespace
} // namespace quorvane
