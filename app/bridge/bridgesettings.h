// SPDX-License-Identifier: MIT
#pragma once
// What the headless bridge takes from the window's settings file, and the
// checks that stop it before its first poll. It reads the window's own
// quorvane.INI, found where the window finds it, and never writes it.

#include "app/filelocations.h"
#include "bridge/terminaltargets.h"

#include <string>
#include <vector>

namespace quorvane {

class TIniFile;

struct BridgeSettings {
    LocationChoice where;          ///< the window's files for this user
    std::string serviceUrl;        ///< [Service] Url; empty: the default endpoint
    std::string terminalFolder;    ///< [Form] mt4-path, as the window stores it
    bool commonFiles = false;      ///< [Form] common-files, when the window has that setting
    /// The terminal folder's targets, resolved once at start; the shared folder
    /// joins them only when the bridge runs (finding it may create it).
    std::vector<TerminalTarget> targets;
    bool dataFolderMissing = false;      ///< a standard installation whose terminal never ran
    int historyDays = 30;                ///< [History] Days
};

/// The settings for the window program `windowExe` (the "quorvane" beside the
/// bridge) and this user's folders. Reading never fails: an absent file gives
/// no terminal folder, which checkBridgeSettings refuses.
BridgeSettings readBridgeSettings(const std::string& windowExe, const UserFolders& env);

/// [Form] common-files when the settings table has such a row; false otherwise.
bool readCommonFiles(const TIniFile& ini);

/// Why the bridge cannot start with these settings; empty when it can. A
/// terminal folder that is not set, does not exist, or has no signal folder in
/// any of its layouts is refused here, so that no poll writes nowhere.
std::string checkBridgeSettings(const BridgeSettings& settings);

/// The lines of --help that name the files in use.
std::string describeBridgeFiles(const BridgeSettings& settings);

} // namespace quorvane
