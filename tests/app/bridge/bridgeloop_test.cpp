// SPDX-License-Identifier: MIT
// The bridge's driver of the poll scenarios that every front end shares: one
// --once run of BridgeLoop per reply, the outcome read where systemd and the
// expert advisor read it (the status text, the signal files, the error log).

#include "tests/support/pollscenarios.h"
#include "tests/support/scratchfolder.h"

#include "app/bridge/bridgeloop.h"
#include "core/exceptions.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace quorvane::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> names(const std::string& folder)
{
    std::vector<std::string> found;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    if (const std::size_t at = text.find(from); at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

TEST(BridgeLoop, ReplyScenarios)
{
    static int argc = 1;
    static char name[] = "app_bridge_test";
    static char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    for (const PollScenario& row : pollScenarios()) {
        SCOPED_TRACE(row.name);
        ScratchFolder dir;
        const std::string signalFolder = dir / "mt4/experts/files";
        fs::create_directories(row.signalFolderMissing ? dir / "mt4/experts" : signalFolder);
        BridgeLoopSetup setup;
        setup.service = [reply = std::string(row.reply)] { return std::make_shared<ScriptedService>(reply); };
        setup.errorLogFolder = dir.path() + "/";
        setup.timestamp = [] { return std::string("08.12.2026 10:15:30"); };
        setup.targets = {legacyTarget(dir / "mt4")};
        std::vector<std::string> told;
        setup.notify = [&told](const std::string& state) { told.push_back(state); };
        setup.once = true;
        BridgeLoop loop(std::move(setup));
        int code = -1;
        QObject::connect(&loop, &BridgeLoop::finished, &app, [&code](int exitCode) {
            code = exitCode;
            QCoreApplication::quit();
        });
        loop.start();
        QCoreApplication::exec();

        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0].rfind("READY=1\nSTATUS=" + std::string(row.status) + " ", 0), 0u) << told[0];
        EXPECT_EQ(code, std::string(row.status) == "Connected!" ? 0 : 1);
        EXPECT_EQ(names(signalFolder), row.files);
        const std::string line = row.logLine.empty()
            ? ""
            : replaced(row.logLine, "{files}", signalFolder + "/") + ", 08.12.2026 10:15:30\n";
        EXPECT_EQ(fs::exists(dir / "error_log.txt") ? readFile(dir / "error_log.txt") : "", line);
    }
}

} // namespace
} // namespace quorvane::test
