// SPDX-License-Identifier: MIT
#include "app/apppaths.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace quorvane {
namespace {

TEST(AppPathsTest, DerivesFolderSettingsAndTitle)
{
    const struct {
        const char *exe, *folder, *settings, *title;
    } rows[] = {
        {"/opt/quorvane/quorvane", "/opt/quorvane/", "/opt/quorvane/quorvane.INI", "Quorvane"},
        {"/opt/q/QUORVANE.EXE", "/opt/q/", "/opt/q/QUORVANE.INI", "Quorvane"},
        {"/a/b.c.d", "/a/", "/a/b.c.INI", "B"},                           // only the last extension
        {"/opt/q.d/quorvane", "/opt/q.d/", "/opt/q.d/quorvane.INI", "Quorvane"}, // a dot in the folder
        {"quorvane.bin", "", "quorvane.INI", "Quorvane"},
        {"/x/QuorVane", "/x/", "/x/QuorVane.INI", "Quorvane"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.exe);
        EXPECT_EQ(executableFolder(row.exe), row.folder);
        EXPECT_EQ(settingsPathFor(row.exe), row.settings);
        EXPECT_EQ(applicationTitle(row.exe), row.title);
    }
}

TEST(AppPathsTest, ExecutablePathNamesThisRunningFileInFull)
{
    const std::string path = executablePath();
    ASSERT_GT(path.size(), std::string("/app_core_test").size());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.size() - 14), "/app_core_test");
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}

} // namespace
} // namespace quorvane
