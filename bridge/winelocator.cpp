// SPDX-License-Identifier: MIT
// The data folders of a terminal installed in a Wine prefix: where they are, and
// the Windows path under which the terminal wrote the installation into origin.txt.

#include "folderlookup.h"
#include "terminaltargets.h"

#include <cctype>
#include <system_error>

namespace quorvane {

namespace {

namespace fs = std::filesystem;

// Which number of leading components of `path` is `root`, or -1 when `root` does not hold it.
int depthBelow(const fs::path& root, const fs::path& path)
{
    auto r = root.begin();
    auto p = path.begin();
    int depth = 0;
    for (; r != root.end(); ++r, ++p, ++depth) {
        if (r->empty()) // a trailing separator of the root
            continue;
        if (p == path.end() || *r != *p)
            return -1;
    }
    return depth;
}

std::string windowsPath(char letter, const fs::path& rest)
{
    std::string out(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
    out += ":\\";
    bool first = true;
    for (const fs::path& part : rest) {
        if (part.empty() || part == ".")
            continue;
        out += (first ? "" : "\\") + part.string();
        first = false;
    }
    return out;
}

// The nearest folder above `folder`, or `folder` itself, that is a Wine prefix.
std::optional<fs::path> prefixOf(const fs::path& folder)
{
    for (fs::path at = folder; at.has_relative_path(); at = at.parent_path()) {
        if (at.filename() == "drive_c")
            return at.parent_path();
        if (isFolder(at / "dosdevices"))
            return at;
    }
    return std::nullopt;
}

// Wine maps every drive letter by a link "dosdevices/<letter>:"; the drive whose
// folder holds the installation most closely names it ("z:" leads to "/" and holds
// everything, so a closer drive wins).
std::optional<std::string> pathByDriveLinks(const fs::path& prefix, const fs::path& realFolder)
{
    std::optional<std::string> best;
    int bestDepth = -1;
    std::error_code ec;
    fs::directory_iterator it(prefix / "dosdevices", ec);
    for (int n = 0; !ec && it != fs::directory_iterator() && n < kMaxFolderEntries; it.increment(ec), ++n) {
        const std::string name = it->path().filename().string();
        if (name.size() != 2 || name[1] != ':' || !std::isalpha(static_cast<unsigned char>(name[0])))
            continue; // "c::" and "com1" are devices, not drives
        std::error_code linkError;
        const fs::path root = fs::canonical(it->path(), linkError);
        if (linkError)
            continue;
        const int depth = depthBelow(root, realFolder);
        if (depth > bestDepth) {
            bestDepth = depth;
            best = windowsPath(name[0], realFolder.lexically_relative(root));
        }
    }
    return best;
}

// Without drive links: a folder below "<prefix>/drive_c/" is on C:.
std::optional<std::string> pathBelowDriveC(const fs::path& prefix, const fs::path& folder)
{
    const int depth = depthBelow(prefix / "drive_c", folder);
    if (depth < 0)
        return std::nullopt;
    return windowsPath('c', folder.lexically_relative(prefix / "drive_c"));
}

std::optional<DataFolderPlaces> placesFor(const fs::path& folder)
{
    const std::optional<fs::path> prefix = prefixOf(folder);
    if (!prefix)
        return std::nullopt;
    std::error_code ec;
    fs::path real = fs::canonical(folder, ec);
    if (ec)
        real = folder;
    std::optional<std::string> origin = pathByDriveLinks(*prefix, real);
    if (!origin)
        origin = pathBelowDriveC(*prefix, folder);
    if (!origin)
        return std::nullopt;

    DataFolderPlaces places;
    places.originPath = *origin;
    // The users live on C:, which is drive_c unless the prefix links c: elsewhere.
    std::optional<fs::path> driveC = childNamed(*prefix, "drive_c", true);
    if (!driveC)
        driveC = childNamed(*prefix / "dosdevices", "c:", true);
    const std::optional<fs::path> users = driveC ? childNamed(*driveC, "users", true) : std::nullopt;
    if (!users)
        return places;
    fs::directory_iterator it(*users, ec);
    for (int n = 0; !ec && it != fs::directory_iterator() && n < kMaxWineUsers; it.increment(ec), ++n) {
        const fs::path& user = it->path();
        for (const fs::path& appData : {fs::path("AppData") / "Roaming", fs::path("Application Data")}) {
            std::optional<fs::path> at = user;
            for (const fs::path& step : appData / "MetaQuotes" / "Terminal") {
                if (at)
                    at = childNamed(*at, step.string(), true);
            }
            if (at)
                places.terminalFolders.push_back(at->string());
        }
    }
    return places;
}

class WineLocator final : public DataFolderLocator {
public:
    std::optional<DataFolderPlaces> Locate(const std::string& installationFolder) const override
    {
        if (installationFolder.empty())
            return std::nullopt;
        if (std::optional<DataFolderPlaces> places = placesFor(fs::path(installationFolder).lexically_normal()))
            return places;
        // Reached through a link from outside the prefix.
        std::error_code ec;
        const fs::path real = fs::canonical(installationFolder, ec);
        if (ec)
            return std::nullopt;
        return placesFor(real);
    }
};

} // namespace

const DataFolderLocator& wineDataFolderLocator()
{
    static const WineLocator locator;
    return locator;
}

} // namespace quorvane
