// SPDX-License-Identifier: MIT
#include "app/bridge/bridgesettings.h"

#include "app/inifile.h"
#include "app/settingstable.h"

#include <cstring>
#include <utility>
#include <sys/stat.h>

namespace quorvane {

namespace {

bool isFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

const Setting* findFormSetting(const char* key)
{
    for (const Setting& setting : formSettings()) {
        if (std::strcmp(setting.key, key) == 0)
            return &setting;
    }
    return nullptr;
}

} // namespace

bool readCommonFiles(const TIniFile& ini)
{
    // The shared folder of all terminals is the window's setting; the bridge
    // follows it once the table holds it.
    const Setting* setting = findFormSetting("common-files");
    if (!setting || setting->form != SettingForm::Flag)
        return false;
    return std::get<bool>(readSetting(ini, *setting));
}

BridgeSettings readBridgeSettings(const std::string& windowExe, const UserFolders& env)
{
    BridgeSettings settings;
    settings.where = chooseFileLocations(windowExe, env);
    const TIniFile ini(settings.where.locations.settingsFile);
    settings.serviceUrl = readServiceUrl(ini);
    if (const Setting* folder = findFormSetting("mt4-path"))
        settings.terminalFolder = std::get<std::string>(readSetting(ini, *folder));
    settings.commonFiles = readCommonFiles(ini);
    TerminalTargets resolved = resolveTerminalTargets(settings.terminalFolder);
    settings.targets = std::move(resolved.targets);
    settings.dataFolderMissing = resolved.dataFolderMissing;
    settings.historyDays = readHistoryDays(ini);
    return settings;
}

std::string checkBridgeSettings(const BridgeSettings& settings)
{
    const std::string& file = settings.where.locations.settingsFile;
    if (settings.terminalFolder.empty())
        return "no terminal folder is set in " + file
            + " ([Form] mt4-path); choose one with \"Select\" in the Quorvane window first";
    if (!isFolder(settings.terminalFolder))
        return "the terminal folder " + settings.terminalFolder + " (" + file + ", [Form] mt4-path) does not exist";
    for (const TerminalTarget& target : settings.targets) {
        if (isFolder(target.signalFolder))
            return std::string();
    }
    if (settings.dataFolderMissing)
        return "the terminal folder " + settings.terminalFolder
            + " has no data folder yet: start the terminal once, then start the bridge again";
    return "the terminal folder " + settings.terminalFolder
        + " has no signal folder (experts/files, MQL4/Files, MQL5/Files or a data folder's)";
}

std::string describeBridgeFiles(const BridgeSettings& settings)
{
    // The alarm log is the window's alone.
    const FileLocations& at = settings.where.locations;
    std::string text = "Settings file: " + at.settingsFile + "\n" + "Error log: " + at.errorLogFolder + "error_log.txt\n";
    if (!settings.where.error.empty())
        text += settings.where.error + "\n";
    text += "Service: " + (settings.serviceUrl.empty() ? std::string("the default endpoint") : settings.serviceUrl)
        + "\n";
    text += "Terminal folder: "
        + (settings.terminalFolder.empty() ? std::string("none ([Form] mt4-path is empty)") : settings.terminalFolder)
        + "\n";
    for (const TerminalTarget& target : settings.targets)
        text += "Signal files: " + target.signalFolder + "/\n";
    text += "History: " + (settings.historyDays > 0 ? at.historyFile : std::string("none ([History] Days=0)")) + "\n";
    return text;
}

} // namespace quorvane
