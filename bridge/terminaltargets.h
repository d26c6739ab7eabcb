// SPDX-License-Identifier: MIT
#pragma once
// Where a MetaTrader terminal folder wants the expert advisor and its signal
// files. MetaTrader 4 before build 600 keeps both below the installation folder
// (experts, experts/files); later builds use MQL4/Experts and MQL4/Files of a
// data folder, which is the installation folder itself in portable mode and
// otherwise a folder of its own that names the installation in origin.txt.
// MetaTrader 5 does the same with MQL5/Experts and MQL5/Files.
// Plain C++ on the file system; the platform part (where the data folders of a
// standard installation live) sits behind DataFolderLocator.

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

/// Which terminal reads a target's signal files.
enum class TerminalKind {
    Mt4,   ///< MetaTrader 4: experts or MQL4/Experts, Quorvane.ex4 / Quorvane.mq4 (+ QuorvaneSignal/Trade4.mqh)
    Mt5,   ///< MetaTrader 5: MQL5/Experts, Quorvane.ex5 / Quorvane.mq5 (+ QuorvaneSignal/Trade5.mqh)
    Shared ///< MetaQuotes/Terminal/Common/Files, read by every terminal of the user; no expert folder
};

/// One place an expert advisor runs from.
struct TerminalTarget {
    std::string expertFolder; ///< the expert advisor is installed here ("" for a shared folder)
    std::string signalFolder; ///< the signal files go here (no trailing separator)
    TerminalKind kind = TerminalKind::Mt4;
    bool operator==(const TerminalTarget& other) const
    {
        return expertFolder == other.expertFolder && signalFolder == other.signalFolder && kind == other.kind;
    }
};

/// "MT4", "MT5" or "shared by all terminals", as the hint of the terminal folder names a target.
const char* terminalKindName(TerminalKind kind);

/// The layout before build 600, joined as the texts are: folder + "/experts" and
/// folder + "/experts/files", so a signal file is folder + "/experts/files/" + name.
TerminalTarget legacyTarget(const std::string& folder);

/// Where a standard installation keeps its data folders.
struct DataFolderPlaces {
    std::string originPath;                    ///< the installation folder as origin.txt names it
    std::vector<std::string> terminalFolders;  ///< folders holding the data folders ("…/MetaQuotes/Terminal")
};

/// The platform part of the resolution.
class DataFolderLocator {
public:
    virtual ~DataFolderLocator() = default;
    /// The places for an installation folder; nullopt when the platform cannot tell
    /// (for instance a folder outside any Wine prefix).
    virtual std::optional<DataFolderPlaces> Locate(const std::string& installationFolder) const = 0;
};

/// This platform's locator: the terminal runs under Wine. The prefix is the nearest
/// folder above the installation folder (as chosen, else its real path) that holds
/// "dosdevices" or "drive_c". The installation's Windows path comes from the drive
/// links "dosdevices/<letter>:" (the one whose real folder holds the installation's
/// real path most closely; "D:\MT5" for a link d: leading to a folder holding MT5),
/// else, for a folder below "<prefix>/drive_c/", "C:\" and the rest. Its data
/// folders are in "<C:>/users/*/AppData/Roaming/MetaQuotes/Terminal" (older prefixes:
/// "…/users/*/Application Data/MetaQuotes/Terminal"). Defined in winelocator.cpp.
const DataFolderLocator& wineDataFolderLocator();

/// What a terminal folder resolves to.
struct TerminalTargets {
    /// Every existing target, in the order legacy, the folder's own MQL4 and MQL5, data
    /// folders (each with MQL4 before MQL5; a data folder holding both serves both).
    /// A target counts when both its folders exist; when none does, those whose expert
    /// folder exists; when none of these either, the legacy target alone, so that the
    /// errors stay those of the legacy layout. Empty only for an empty folder.
    std::vector<TerminalTarget> targets;
    /// The folder holds terminal.exe or terminal64.exe but no layout, and no data folder names it:
    /// a standard installation whose terminal has never been started.
    bool dataFolderMissing = false;
};

/// Resolves `folder` (the text of the terminal folder as it is) with `locator`.
/// Reads at most a few KiB of each origin.txt, looks at a bounded number of folders,
/// follows no link more than the file system does itself, and writes nothing.
TerminalTargets resolveTerminalTargets(const std::string& folder, const DataFolderLocator& locator);
/// The same with wineDataFolderLocator().
TerminalTargets resolveTerminalTargets(const std::string& folder);

/// The installation folder named by the origin.txt at `path`: its first line,
/// decoded from UTF-16 LE/BE (with BOM, or LE without one), UTF-8 or, failing that,
/// an 8-bit code page read as Latin-1; returned as UTF-8. nullopt when the file
/// cannot be read, is not a plain file, or holds no complete first line within
/// the bounded prefix that is read.
std::optional<std::string> readOriginFile(const std::string& path);

/// Whether two Windows paths (UTF-8) name the same folder: compared without letter
/// case (ASCII, Latin-1, Greek, Cyrillic), "/" taken as "\", trailing separators
/// and spaces ignored.
bool sameWindowsPath(const std::string& a, const std::string& b);

} // namespace quorvane
