// SPDX-License-Identifier: MIT
#include "apppaths.h"

#include <cctype>
#include <climits>
#include <unistd.h>

namespace quorvane {

std::string executablePath()
{
    // readlink does not say when it cut the path short; grow until it fits.
    for (std::size_t size = PATH_MAX;; size *= 2) {
        std::string buffer(size, '\0');
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length <= 0)
            return std::string();
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return buffer;
        }
    }
}

std::string executableFolder(const std::string& exePath)
{
    const std::size_t slash = exePath.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return exePath.substr(0, slash + 1);
}

std::string settingsPathFor(const std::string& exePath)
{
    // Only a '.' inside the file name counts; a dot in a folder name is not an extension.
    const std::size_t nameStart = executableFolder(exePath).size();
    const std::size_t dot = exePath.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return exePath + ".INI";
    return exePath.substr(0, dot) + ".INI";
}

std::string applicationTitle(const std::string& exePath)
{
    std::string name = exePath.substr(executableFolder(exePath).size());
    const std::size_t dot = name.find('.');
    if (dot != std::string::npos)
        name.resize(dot);
    // Capitalised the way a Windows title shows it, however the file is spelled.
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        name[i] = static_cast<char>(i == 0 ? std::toupper(c) : std::tolower(c));
    }
    return name;
}

} // namespace quorvane
