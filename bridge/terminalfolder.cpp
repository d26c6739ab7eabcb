#include "terminalfolder.h"

#include "platform.h"
#include "signalfiles.h"

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

bool installExpertAdvisor(const std::string& programFolder, const std::string& terminalFolder, FileSystem& fs)
{
    bool anyPresent = false;
    for (const char* file : kExpertFiles) {
        const std::string source = joinFolder(programFolder, file);
        if (!fs.Exists(source))
            continue;
        anyPresent = true;
        // The terminal folder is joined as it is, like the signal file paths.
        if (!fs.CopyReplacing(source, terminalFolder + "/experts/" + file))
            return false;
    }
    return anyPresent;
}

} // namespace

FolderChoice ChooseTerminalFolder(const std::string& currentFolder, const std::string& programFolder,
                                  FolderBrowser& browser, FileSystem& fs)
{
    const std::string start = fs.IsDirectory(currentFolder) ? currentFolder : std::string();
    const std::optional<std::string> chosen = browser.Browse(kBrowseCaption, start);

    FolderChoice choice;
    if (!chosen) {
        // Cancelling disconnects the terminal; the expert advisor must not go on
        // trading on a stale EURUSD signal.
        if (!start.empty())
            fs.RemoveIgnoringErrors(EurusdSignalFilePath(start));
        return choice;
    }
    // An experts folder that takes the expert advisor is the only test of a
    // terminal installation; terminal.exe is not looked for.
    if (installExpertAdvisor(programFolder, *chosen, fs))
        choice.folder = *chosen;
    else
        choice.notMt4 = true;
    return choice;
}

void CallTerminal(const std::string& terminalFolder, ShellOpener& shell)
{
    shell.Open("open", terminalFolder + "/terminal.exe");
}

void PlayOpenSound(SoundPlayer& player)
{
    player.PlayAsync("open.wav");
}

} // namespace quorvane
