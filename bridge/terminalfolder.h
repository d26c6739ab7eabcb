#pragma once
// Choosing the trading terminal's folder, installing the expert advisor into it,
// starting the terminal and the sound button: the handlers' logic without widgets.

#include <string>

namespace quorvane {

class FileSystem;
class FolderBrowser;
class ShellOpener;
class SoundPlayer;

/// Outcome of a folder choice.
struct FolderChoice {
    std::string folder;          ///< the new text of Edit2 ("" after a cancel or a failed install)
    bool notMt4 = false;         ///< show kNotMt4Message
};

inline constexpr const char* kNotMt4Message = "It is not a MT4 install directory, please re-select.";
inline constexpr const char* kBrowseCaption = "Please specify the folder";

/// What Button1Click does, minus the widgets: the starting folder is currentFolder when it
/// is an existing folder, else empty; browse "Please specify the folder"; on a choice
/// install the expert advisor (copy each of Quorvane.ex4 / Quorvane.mq4 present in
/// programFolder into chosen + "/experts/", replacing older copies; fail when neither is
/// present or any present one cannot be copied); on cancel delete the old folder's
/// EURUSD signal file.
FolderChoice ChooseTerminalFolder(const std::string& currentFolder, const std::string& programFolder,
                                  FolderBrowser& browser, FileSystem& fs);

/// Button2Click: asks the shell to open terminalFolder + "/terminal.exe" with the verb
/// "open"; nothing is reported.
void CallTerminal(const std::string& terminalFolder, ShellOpener& shell);

/// Button5Click: PlayAsync("open.wav").
void PlayOpenSound(SoundPlayer& player);

} // namespace quorvane
