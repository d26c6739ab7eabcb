// SPDX-License-Identifier: MIT
#pragma once
// Choosing the trading terminal's folder, installing the expert advisor into it,
// starting the terminal and the sound button: the handlers' logic without widgets.

#include "terminaltargets.h"

#include <string>
#include <vector>

namespace quorvane {

class FileSystem;
class FolderBrowser;
class ShellOpener;
class SoundPlayer;

/// Outcome of a folder choice.
struct FolderChoice {
    std::string folder;                  ///< the new text of Edit2 ("" after a cancel or a failed install)
    std::vector<TerminalTarget> targets; ///< what `folder` resolves to (none when it is "")
    bool notMt4 = false;                 ///< show kNotMt4Message
    bool noDataFolder = false;           ///< show kNoDataFolderMessage instead
};

inline constexpr const char* kNotMt4Message = "It is not a MT4 install directory, please re-select.";
inline constexpr const char* kBrowseCaption = "Please specify the folder";
inline constexpr const char* kNoDataFolderMessage =
    "This MT4/MT5 installation has no data folder yet. Start the terminal once, close it and choose this folder "
    "again, or choose its data folder instead (in the terminal: File > Open Data Folder).";
inline constexpr const char* kNoFolderToCallMessage =
    "No terminal folder is chosen yet: press \"Select\" and choose the terminal's folder first.";

/// What Button1Click does, minus the widgets: the starting folder is currentFolder when it
/// is an existing folder, else empty; browse "Please specify the folder"; on a choice
/// resolve it (resolveTerminalTargets with `locator`) and install the expert advisor
/// into every target's expert folder (copy each of Quorvane.ex4 / Quorvane.mq4 present
/// in programFolder into an MT4 target, each of Quorvane.ex5 / Quorvane.mq5 into an MT5
/// target, and with a source the files it includes (QuorvaneSignal.mqh, and QuorvaneTrade4.mqh
/// or QuorvaneTrade5.mqh by its language) before it, replacing older copies;
/// a target fails when neither advisor file is present or any present file cannot be
/// copied). The folder is accepted when at least one target
/// took it; otherwise notMt4, or noDataFolder for an installation whose terminal never
/// made its data folder. On cancel delete the EURUSD signal file of each of
/// currentTargets (the targets currentFolder was resolved to) when the starting folder
/// is not empty.
FolderChoice chooseTerminalFolder(const std::string& currentFolder, const std::vector<TerminalTarget>& currentTargets,
                                  const std::string& programFolder, FolderBrowser& browser, FileSystem& fs,
                                  const DataFolderLocator& locator = wineDataFolderLocator());

/// The hint of Edit2: where the signal files of `targets` go, one folder a line with
/// its kind in brackets ("… (MT4)", "… (MT5)", "… (shared by all terminals)"); "" for none.
std::string signalFoldersHint(const std::vector<TerminalTarget>& targets);

/// Button2Click: asks the shell to open the terminal program of terminalFolder
/// (terminal.exe, else terminal64.exe) with the verb "open". Returns the message to
/// show instead when there is no way to start it: no folder (kNoFolderToCallMessage),
/// no terminal program in it, or what the shell lacks (ShellOpener::missingToOpen,
/// such as Wine); "" when the terminal was handed to the shell.
std::string callTerminal(const std::string& terminalFolder, ShellOpener& shell, FileSystem& fs);

/// Button5Click: PlayAsync("open.wav").
void playOpenSound(SoundPlayer& player);

} // namespace quorvane
