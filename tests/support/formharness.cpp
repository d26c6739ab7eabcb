// SPDX-License-Identifier: MIT
#include "formharness.h"

#include "acceptingtray.h"
#include "poll/logtimestamp.h"
#include "feed/httprio.h"
#include "app/tform1.h"
#include "trayicon/trayshell.h"

#include <QStatusBar>

#include <filesystem>
#include <fstream>

namespace quorvane::test {

namespace {

class NoFolderBrowser : public FolderBrowser {
public:
    std::optional<std::string> Browse(const std::string&, const std::string&) override { return std::nullopt; }
};

class NoShell : public ShellOpener {
public:
    void Open(const std::string&, const std::string&) override {}
};

class NoSound : public SoundPlayer {
public:
    void PlayAsync(const std::string&) override {}
};

} // namespace

FormHarness::FormHarness()
{
    std::filesystem::create_directories(signalFolder);
    std::ofstream(folder + "quorvane.INI") << "[Form]\nhint=0\nmt4-path=" << terminalFolder << "\n";
}

FormServices FormHarness::services(std::function<std::string()> urlForPoll,
                                   std::chrono::milliseconds totalTimeout)
{
    FormServices s;
    s.executablePath = executablePath;
    s.signalService = [urlForPoll = std::move(urlForPoll), totalTimeout] {
        std::shared_ptr<HelloWorldPortType> client = GetSignalService(false, urlForPoll());
        if (auto* rio = dynamic_cast<THTTPRIO*>(client.get()))
            rio->SetTimeouts(std::chrono::milliseconds(1000), totalTimeout);
        return client;
    };
    s.clock = [] { return logTime(); };
    s.folderBrowser = std::make_unique<NoFolderBrowser>();
    s.shellOpener = std::make_unique<NoShell>();
    s.soundPlayer = std::make_unique<NoSound>();
    s.fileSystem = makeRealFileSystem();
    s.trayShell = std::make_unique<AcceptingTray>();
    s.showMessage = [this](const std::string& m) { shown.push_back(m); };
    s.reportError = [this](const std::string& m) { reported.push_back(m); };
    return s;
}

std::string FormHarness::status(const TForm1& form)
{
    const auto* bar = form.findChild<QStatusBar*>(QStringLiteral("StatusBar1"));
    return bar ? bar->currentMessage().toStdString() : std::string("<no status bar>");
}

QDateTime FormHarness::logTime()
{
    return QDateTime(QDate(2026, 12, 8), QTime(10, 15, 30));
}

std::string FormHarness::logEntryEnd()
{
    return ", " + logTimestamp(logTime()) + "\n";
}

std::size_t FormHarness::logEntries() const
{
    const std::string log = readFile(errorLog);
    const std::string end = logEntryEnd();
    std::size_t count = 0;
    for (std::size_t at = log.find(end); at != std::string::npos; at = log.find(end, at + end.size()))
        ++count;
    return count;
}

} // namespace quorvane::test
