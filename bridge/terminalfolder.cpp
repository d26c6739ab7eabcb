// SPDX-License-Identifier: MIT
#include "terminalfolder.h"

#include "commonfolder.h"
#include "platform.h"

#include <array>

namespace quorvane {

namespace {

// The compiled expert advisor exists only when someone built it with the
// terminal's own compiler; the source is always shipped and the terminal
// compiles it at start, only beside the files it includes: the one both
// sources share and its own language's trade layer. Each terminal takes only
// its own language.
struct ExpertFiles {
    const char* compiled;
    const char* source;
    std::array<const char*, 2> includes;
};
constexpr ExpertFiles kMt4ExpertFiles = {"Quorvane.ex4", "Quorvane.mq4", {"QuorvaneSignal.mqh", "QuorvaneTrade4.mqh"}};
constexpr ExpertFiles kMt5ExpertFiles = {"Quorvane.ex5", "Quorvane.mq5", {"QuorvaneSignal.mqh", "QuorvaneTrade5.mqh"}};
// MetaTrader 4 and a 32-bit MetaTrader 5 start with terminal.exe, a 64-bit
// MetaTrader 5 with terminal64.exe; the MetaTrader 5 help spells it with a capital.
constexpr std::array<const char*, 4> kTerminalPrograms = {"terminal.exe", "terminal64.exe", "Terminal.exe",
                                                          "Terminal64.exe"};

std::string joinFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

bool installExpertAdvisor(const std::string& programFolder, const TerminalTarget& target, FileSystem& fs)
{
    if (target.kind == TerminalKind::Shared || target.expertFolder.empty())
        return false; // no terminal runs an expert advisor from there
    const auto& [compiled, source, includes] = target.kind == TerminalKind::Mt5 ? kMt5ExpertFiles : kMt4ExpertFiles;
    const auto present = [&](const char* file) { return fs.Exists(joinFolder(programFolder, file)); };
    const auto copy = [&](const char* file) {
        // The expert folder is joined as it is, like the signal file paths.
        return fs.CopyReplacing(joinFolder(programFolder, file), target.expertFolder + "/" + file);
    };
    const bool withCompiled = present(compiled);
    const bool withSource = present(source);
    if (withCompiled && !copy(compiled))
        return false;
    // The includes before the source: a newer source never lands beside older
    // includes it would not compile with; when one cannot be copied, the source stays as it was.
    for (const char* include : includes) {
        if (withSource && present(include) && !copy(include))
            return false;
    }
    if (withSource && !copy(source))
        return false;
    return withCompiled || withSource;
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
            for (const TerminalTarget& target : currentTargets) {
                // A link put in the shared folder's way must not lead the deletion elsewhere.
                if (target.kind != TerminalKind::Shared || sharedFolderUnmoved(target))
                    fs.RemoveIgnoringErrors(target.signalFolder + "/EURUSD");
            }
        }
        return choice;
    }
    // An expert folder that takes the expert advisor is the only test of a
    // terminal installation; terminal.exe is not looked for.
    TerminalTargets resolved = resolveTerminalTargets(*chosen, locator);
    bool installed = false;
    for (const TerminalTarget& target : resolved.targets) {
        if (installExpertAdvisor(programFolder, target, fs))
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
        hint += (hint.empty() ? "Signal files go to:\n" : "\n") + target.signalFolder + " ("
                + terminalKindName(target.kind) + ")";
    return hint;
}

std::string callTerminal(const std::string& terminalFolder, ShellOpener& shell, FileSystem& fs)
{
    if (terminalFolder.empty())
        return kNoFolderToCallMessage;
    std::string program;
    for (const char* name : kTerminalPrograms) {
        if (program.empty() && fs.Exists(joinFolder(terminalFolder, name)))
            program = terminalFolder + "/" + name;
    }
    if (program.empty())
        return "Cannot start the terminal: there is no terminal.exe or terminal64.exe in " + terminalFolder
               + ". If it is the terminal's data folder, start the terminal from its installation folder yourself, "
                 "or choose that folder with \"Select\".";
    const std::string missing = shell.missingToOpen(program);
    if (!missing.empty())
        return "Cannot start the terminal: " + missing;
    shell.Open("open", program);
    return {};
}

void playOpenSound(SoundPlayer& player)
{
    player.PlayAsync("open.wav");
}

} // namespace quorvane
