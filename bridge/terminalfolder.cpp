#include "terminalfolder.h"

#include "platform.h"

#include <array>

namespace quorvane {

namespace {

// The compiled expert advisor exists only when someone built it with the
// terminal's own compiler; the source is always shipped and the terminal
// compiles it at start.
constexpr std::array<const char*, 2> kExpertFiles = {"Quorvane.ex4", "Quorvane.mq4"};

std::string joinFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

bool installExpertAdvisor(const std::string& programFolder, const std::string& expertFolder, FileSystem& fs)
{
    bool anyPresent = false;
    for (const char* file : kExpertFiles) {
        const std::string source = joinFolder(programFolder, file);
        if (!fs.Exists(source))
            continue;
        anyPresent = true;
        // The expert folder is joined as it is, like the signal file paths.
        if (!fs.CopyReplacing(source, expertFolder + "/" + file))
            return false;
    }
    return anyPresent;
}

} // namespace

FolderChoice chooseTerminalFolder(const std::string& currentFolder, const std::vector<TerminalTarget>& currentTargets,
                                  const std::string& programFolder, FolderBrowser& browser, FileSystem& fs,
                                  const DataFolderLocator& locator)
{
    const std::string start = fs.IsDirectory(currentFolder) ? currentFolder : std::string();
    const std::optional<std::string> chosen = browser.Browse(kBrowseCaption, start);

    FolderChoice choice;
    if (!chosen) {
        // Cancelling disconnects the terminal; the expert advisor must not go on
        // trading on a stale EURUSD signal.
        if (!start.empty()) {
            for (const TerminalTarget& target : currentTargets)
                fs.RemoveIgnoringErrors(target.signalFolder + "/EURUSD");
        }
        return choice;
    }
    // An expert folder that takes the expert advisor is the only test of a
    // terminal installation; terminal.exe is not looked for.
    TerminalTargets resolved = resolveTerminalTargets(*chosen, locator);
    bool installed = false;
    for (const TerminalTarget& target : resolved.targets) {
        if (installExpertAdvisor(programFolder, target.expertFolder, fs))
            installed = true;
    }
    if (installed) {
        choice.folder = *chosen;
        choice.targets = std::move(resolved.targets);
    } else if (resolved.dataFolderMissing) {
        choice.noDataFolder = true;
    } else {
        choice.notMt4 = true;
    }
    return choice;
}

std::string signalFoldersHint(const std::vector<TerminalTarget>& targets)
{
    std::string hint;
    for (const TerminalTarget& target : targets)
        hint += (hint.empty() ? "Signal files go to:\n" : "\n") + target.signalFolder;
    return hint;
}

void callTerminal(const std::string& terminalFolder, ShellOpener& shell)
{
    shell.Open("open", terminalFolder + "/terminal.exe");
}

void playOpenSound(SoundPlayer& player)
{
    player.PlayAsync("open.wav");
}

} // namespace quorvane
