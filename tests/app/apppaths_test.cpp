#include "apppaths.h"

#include <gtest/gtest.h>

#include <ostream>

#include <sys/stat.h>

namespace quorvane {
namespace {

struct PathRow {
    const char* name;
    const char* exePath;
    const char* folder;
    const char* settings;
    const char* title;
};

// Failures name the row instead of dumping its bytes.
void PrintTo(const PathRow& row, std::ostream* out) { *out << row.name; }

class AppPathsTest : public ::testing::TestWithParam<PathRow> {};

TEST_P(AppPathsTest, DerivesCompanionPaths)
{
    const PathRow& row = GetParam();
    EXPECT_EQ(ExecutableFolder(row.exePath), row.folder);
    EXPECT_EQ(SettingsPathFor(row.exePath), row.settings);
    EXPECT_EQ(ApplicationTitle(row.exePath), row.title);
}

const PathRow pathRows[] = {
    {"PlainName", "/opt/quorvane/quorvane", "/opt/quorvane/", "/opt/quorvane/quorvane.INI", "Quorvane"},
    {"WindowsStyleName", "/opt/q/QUORVANE.EXE", "/opt/q/", "/opt/q/QUORVANE.INI", "Quorvane"},
    {"OnlyLastExtensionReplaced", "/a/b.c.d", "/a/", "/a/b.c.INI", "B"},
    {"DotInFolderIsNoExtension", "/opt/q.d/quorvane", "/opt/q.d/", "/opt/q.d/quorvane.INI", "Quorvane"},
    {"NameWithoutFolder", "quorvane.bin", "", "quorvane.INI", "Quorvane"},
    {"MixedCaseTitle", "/x/QuorVane", "/x/", "/x/QuorVane.INI", "Quorvane"},
};

INSTANTIATE_TEST_SUITE_P(Rows, AppPathsTest, ::testing::ValuesIn(pathRows),
                         [](const ::testing::TestParamInfo<PathRow>& info) { return std::string(info.param.name); });

TEST(ExecutablePathTest, NamesThisRunningFile)
{
    const std::string path = ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.size() - std::string("app_core_test").size()), "app_core_test");
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}

} // namespace
} // namespace quorvane
