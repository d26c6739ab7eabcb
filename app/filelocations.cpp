// SPDX-License-Identifier: MIT
#include "filelocations.h"

#include "apppaths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

constexpr const char* kFolderName = "quorvane";

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool isAbsolute(const std::string& path)
{
    return !path.empty() && path.front() == '/';
}

// Probed with the effective ids: root may write anywhere but on a read-only
// mount, an ordinary user only where the permissions say so. Below /usr lie
// installed programs, which nobody writes at run time, root included: a
// program started with sudo must not leave files where the package manager
// keeps its own.
bool folderWritable(const std::string& folder)
{
    if (folder.rfind("/usr/", 0) == 0)
        return false;
    const std::string probe = folder.empty() ? std::string(".") : folder;
    return ::faccessat(AT_FDCWD, probe.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool fileWritable(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)
        && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// base/quorvane/, from an absolute XDG variable or HOME + fallback; "" with
// `why` set when neither gives an absolute folder.
std::string userFolder(const std::string& xdgValue, const char* xdgName, const std::string& home,
                       const char* homeRelative, std::string& why)
{
    std::string base;
    // Relative values are invalid by the base-directory rules and are ignored.
    if (isAbsolute(xdgValue))
        base = withoutTrailingSlashes(xdgValue);
    else if (isAbsolute(home))
        base = withoutTrailingSlashes(home) + homeRelative;
    else {
        why = std::string(home.empty() ? "HOME is not set" : "HOME is not an absolute path (" + home + ")")
            + " and " + xdgName + " names no absolute folder";
        return std::string();
    }
    if (base == "/")
        base.clear();
    return base + "/" + kFolderName + "/";
}

// mkdir -p with 0700 for what it creates; "" or the reason it failed.
std::string makeFolders(const std::string& folder)
{
    const std::string target = withoutTrailingSlashes(folder);
    for (std::size_t end = 1; end <= target.size(); ++end) {
        if (end != target.size() && target[end] != '/')
            continue;
        const std::string part = target.substr(0, end);
        if (::mkdir(part.c_str(), 0700) == 0)
            continue;
        const int error = errno;
        struct stat info {};
        if (error == EEXIST) {
            if (::stat(part.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
                continue;
            return part + " is not a folder";
        }
        return std::strerror(error);
    }
    return std::string();
}

} // namespace

UserFolders userFoldersFromEnvironment()
{
    return {environmentValue("HOME"), environmentValue("XDG_CONFIG_HOME"), environmentValue("XDG_STATE_HOME"),
            environmentValue("XDG_DATA_HOME")};
}

FileLocations fileLocationsBeside(const std::string& exePath)
{
    FileLocations beside;
    beside.settingsFile = settingsPathFor(exePath);
    beside.errorLogFolder = executableFolder(exePath);
    beside.alarmLogFile = beside.errorLogFolder + "log.txt";
    beside.historyFile = beside.errorLogFolder + "history.sqlite";
    return beside;
}

LocationChoice chooseFileLocations(const std::string& exePath, const UserFolders& env)
{
    const FileLocations beside = fileLocationsBeside(exePath);
    if (folderWritable(executableFolder(exePath)))
        return {beside, std::string()};

    // A read-only program folder: what already lies there writable is
    // rewritten in place; everything else moves to the per-user folders.
    const bool settingsBeside = fileWritable(beside.settingsFile);
    const bool alarmLogBeside = fileWritable(beside.alarmLogFile);
    const bool errorLogBeside = fileWritable(beside.errorLogFolder + "error_log.txt");
    LocationChoice choice{beside, std::string()};
    // A file without a per-user place stays beside the executable: reading
    // still finds it, and its failed write names a real path.
    std::string why;
    if (!settingsBeside || !alarmLogBeside) {
        const std::string config = userFolder(env.configHome, "XDG_CONFIG_HOME", env.home, "/.config", why);
        if (config.empty()) {
            choice.error = "Quorvane cannot keep its settings: " + why + ".";
        } else {
            std::string name = exePath.substr(executableFolder(exePath).size());
            if (name.empty())
                name = kFolderName;
            choice.locations.configFolder = config;
            if (!settingsBeside)
                choice.locations.settingsFile = settingsPathFor(config + name);
            if (!alarmLogBeside)
                choice.locations.alarmLogFile = config + "log.txt";
        }
    }
    if (!errorLogBeside) {
        const std::string state = userFolder(env.stateHome, "XDG_STATE_HOME", env.home, "/.local/state", why);
        if (state.empty()) {
            if (choice.error.empty())
                choice.error = "Quorvane cannot keep its error log: " + why + ".";
        } else {
            choice.locations.stateFolder = state;
            choice.locations.errorLogFolder = state;
        }
    }
    // Even beside a settings file kept in place: SQLite needs the folder too.
    std::string noData;
    const std::string data = userFolder(env.dataHome, "XDG_DATA_HOME", env.home, "/.local/share", noData);
    if (!data.empty()) {
        choice.locations.dataFolder = data;
        choice.locations.historyFile = data + "history.sqlite";
    }
    return choice;
}

std::string createLocationFolders(const FileLocations& locations)
{
    // Both are tried: a broken config folder need not cost the error log.
    std::string message;
    for (const std::string* folder : {&locations.configFolder, &locations.stateFolder}) {
        if (folder->empty())
            continue;
        const std::string why = makeFolders(*folder);
        if (!why.empty())
            message += std::string(message.empty() ? "" : " ") + "Quorvane cannot create the folder " + *folder
                     + " for its files: " + why + ".";
    }
    return message;
}

std::string describeFileLocations(const LocationChoice& choice)
{
    const FileLocations& at = choice.locations;
    std::string text = "Settings file: " + at.settingsFile + "\n"
                     + "Alarm log: " + at.alarmLogFile + "\n"
                     + "Error log: " + at.errorLogFolder + "error_log.txt\n"
                     + "History: " + at.historyFile + "\n";
    if (!choice.error.empty())
        text += choice.error + "\n";
    return text;
}

} // namespace quorvane
