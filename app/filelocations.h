// SPDX-License-Identifier: MIT
#pragma once
// Where the user's files live: the settings file, "log.txt", "error_log.txt"
// and the signal history "history.sqlite".
//
// Beside the executable wherever they can be kept there: a copy unpacked
// anywhere or the build folder is writable, so everything stays together as
// it always did. An installed program lies in a folder the user cannot write;
// then the files go to the per-user folders of the XDG base directories. A file
// that already lies beside the executable and can be written in place stays
// there even in a read-only folder, so an administrator's prepared settings
// file keeps working. File names and formats are the same in either place.

#include <string>

namespace quorvane {

/// The environment the decision reads; userFoldersFromEnvironment() fills it.
struct UserFolders {
    std::string home;          ///< $HOME
    std::string configHome;    ///< $XDG_CONFIG_HOME
    std::string stateHome;     ///< $XDG_STATE_HOME
    std::string dataHome{};    ///< $XDG_DATA_HOME
};

/// The paths the program writes.
struct FileLocations {
    /// The settings file: the executable's name with ".INI".
    std::string settingsFile;
    /// The alarm log "log.txt".
    std::string alarmLogFile;
    /// The folder of "error_log.txt", ending with '/'.
    std::string errorLogFolder;
    /// Per-user folders the program must create before writing into them
    /// (empty when every file stays beside the executable).
    std::string configFolder;
    std::string stateFolder;
    /// The signal history "history.sqlite": beside the executable while its
    /// folder can be written (WAL keeps two more files beside it), else in the
    /// per-user data folder.
    std::string historyFile;
    /// That per-user folder, or empty. The history store creates it (0700)
    /// when it first records, so a history that is switched off leaves nothing.
    std::string dataFolder;
};

/// Where the files go, or why no place could be found.
struct LocationChoice {
    FileLocations locations;
    /// Empty when the locations are usable; otherwise a message for the user.
    /// A file that has no per-user place then stays named beside the
    /// executable, so reading still finds what lies there and its failed write
    /// names a real path.
    std::string error;
};

/// $HOME, $XDG_CONFIG_HOME, $XDG_STATE_HOME and $XDG_DATA_HOME of this process.
UserFolders userFoldersFromEnvironment();

/// Every file beside the executable, as the program has always kept them.
FileLocations fileLocationsBeside(const std::string& exePath);

/// Decides the locations for the executable at exePath. The program folder
/// and the files in it are probed with the caller's effective permissions; a
/// folder below /usr/ counts as read-only for everyone.
/// $XDG_CONFIG_HOME / $XDG_STATE_HOME / $XDG_DATA_HOME count only when
/// absolute; otherwise $HOME/.config, $HOME/.local/state and $HOME/.local/share.
/// Nothing is created here. A history without a per-user place stays named
/// beside the executable: the store says why it cannot write there.
LocationChoice chooseFileLocations(const std::string& exePath, const UserFolders& env);

/// Creates the per-user folders of `locations` (and missing parents, mode
/// 0700) when they are not there. Returns "" on success, else a message that
/// names each folder that failed and the reason.
std::string createLocationFolders(const FileLocations& locations);

/// One sentence for --help and the About page: which folders hold the files.
std::string describeFileLocations(const LocationChoice& choice);

} // namespace quorvane
