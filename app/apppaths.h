// SPDX-License-Identifier: MIT
#pragma once
// Where the program finds its companions (the expert advisor, the chime, and
// the settings and logs while they can be kept there): beside the executable.

#include <string>

namespace quorvane {

/// Full path of the running executable (resolved through /proc/self/exe).
std::string executablePath();

/// The path up to and including its last '/' ("" when there is none).
std::string executableFolder(const std::string& exePath);

/// The settings file of an executable: the extension after the last '.' of the file
/// NAME replaced by ".INI"; a name without extension gets ".INI" appended.
std::string settingsPathFor(const std::string& exePath);

/// The application's title: the file name without its folder, cut at the first '.',
/// the first letter in upper case and every letter after it in lower case ("quorvane" -> "Quorvane").
std::string applicationTitle(const std::string& exePath);

} // namespace quorvane
