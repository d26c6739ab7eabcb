#include "terminaltargets.h"

#include "core/files.h"
#include "core/text.h"
#include "core/unicode.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quorvane {

namespace {

namespace fs = std::filesystem;

// origin.txt holds one Windows path (at most 32767 UTF-16 units in theory, a few
// hundred bytes in practice); a longer or endless file is garbage, not a path.
constexpr std::size_t kOriginLimit = 8192;
// A prefix with thousands of users or data folders is looked at only this far, so
// resolution stays quick whatever the tree holds.
constexpr int kMaxEntries = 4096;
constexpr int kMaxUsers = 64;

bool isDirectory(const fs::path& path)
{
    std::error_code ec; // a link loop or a missing folder is simply no folder
    return fs::is_directory(path, ec);
}

bool isFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// The terminal, on Windows or under Wine, finds its folders without letter case;
// so do we, taking the exact spelling first.
std::optional<fs::path> childNamed(const fs::path& parent, const std::string& name, bool wantFolder)
{
    const fs::path exact = parent / name;
    if (wantFolder ? isDirectory(exact) : isFile(exact))
        return exact;
    std::error_code ec;
    fs::directory_iterator it(parent, ec);
    for (int n = 0; !ec && it != fs::directory_iterator() && n < kMaxEntries; it.increment(ec), ++n) {
        const fs::path& entry = it->path();
        if (equalsIgnoringAsciiCase(entry.filename().string(), name) && (wantFolder ? isDirectory(entry) : isFile(entry)))
            return entry;
    }
    return std::nullopt;
}

bool isDataFolderName(const std::string& name)
{
    if (name.size() != 32)
        return false;
    for (const char c : name) {
        const char l = lowerAscii(c);
        if (!((l >= '0' && l <= '9') || (l >= 'a' && l <= 'f')))
            return false;
    }
    return true;
}

// ---- text ----------------------------------------------------------------

std::u32string windowsPathKey(const std::string& utf8)
{
    std::u32string key = decodeUtf8OrLatin1(utf8);
    for (char32_t& c : key)
        c = c == '/' ? U'\\' : foldCase(c);
    while (!key.empty() && (key.back() == '\\' || key.back() == ' ' || key.back() == '\t'))
        key.pop_back();
    return key;
}

// ---- candidates ----------------------------------------------------------

struct Candidate {
    TerminalTarget target;
    bool expertExists = false;
    bool signalExists = false;
};

Candidate candidate(TerminalTarget target)
{
    Candidate c;
    c.expertExists = isDirectory(target.expertFolder);
    c.signalExists = c.expertExists && isDirectory(target.signalFolder);
    c.target = std::move(target);
    return c;
}

// MQL4/Experts and MQL4/Files below a data folder (or portable installation),
// joined to the folder's text as it is.
std::optional<Candidate> mql4Candidate(const std::string& folder)
{
    const std::optional<fs::path> mql4 = childNamed(folder, "MQL4", true);
    if (!mql4)
        return std::nullopt;
    const std::string base = folder + (folder.empty() || folder.back() == '/' ? "" : "/") + mql4->filename().string();
    const std::optional<fs::path> experts = childNamed(*mql4, "Experts", true);
    const std::optional<fs::path> files = childNamed(*mql4, "Files", true);
    return candidate({base + "/" + (experts ? experts->filename().string() : "Experts"),
                      base + "/" + (files ? files->filename().string() : "Files")});
}

void addDataFolders(const DataFolderPlaces& places, std::vector<Candidate>& out)
{
    for (const std::string& root : places.terminalFolders) {
        std::error_code ec;
        fs::directory_iterator it(root, ec);
        for (int n = 0; !ec && it != fs::directory_iterator() && n < kMaxEntries; it.increment(ec), ++n) {
            const fs::path& entry = it->path();
            if (!isDataFolderName(entry.filename().string()) || !isDirectory(entry))
                continue;
            const std::optional<std::string> origin = readOriginFile((entry / "origin.txt").string());
            if (!origin || !sameWindowsPath(*origin, places.originPath))
                continue;
            if (std::optional<Candidate> c = mql4Candidate(entry.string()))
                out.push_back(std::move(*c));
        }
    }
}

bool sameFolder(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

// ---- Wine ----------------------------------------------------------------

class WineLocator final : public DataFolderLocator {
public:
    std::optional<DataFolderPlaces> Locate(const std::string& installationFolder) const override
    {
        if (installationFolder.empty())
            return std::nullopt;
        if (std::optional<DataFolderPlaces> places = placesFor(fs::path(installationFolder).lexically_normal()))
            return places;
        // Reached through a link such as "<prefix>/dosdevices/c:".
        std::error_code ec;
        const fs::path real = fs::canonical(installationFolder, ec);
        if (ec)
            return std::nullopt;
        return placesFor(real);
    }

private:
    static std::optional<DataFolderPlaces> placesFor(const fs::path& folder)
    {
        std::vector<std::string> parts;
        for (const fs::path& part : folder) {
            if (!part.empty() && part != ".")
                parts.push_back(part.string());
        }
        std::size_t drive = parts.size();
        for (std::size_t i = parts.size(); i-- > 0;) {
            if (parts[i] == "drive_c") {
                drive = i;
                break;
            }
        }
        if (drive == parts.size())
            return std::nullopt;

        DataFolderPlaces places;
        places.originPath = "C:\\";
        for (std::size_t i = drive + 1; i < parts.size(); ++i)
            places.originPath += parts[i] + (i + 1 < parts.size() ? "\\" : "");
        fs::path driveC;
        for (std::size_t i = 0; i <= drive; ++i)
            driveC /= parts[i];

        const std::optional<fs::path> users = childNamed(driveC, "users", true);
        if (!users)
            return places;
        std::error_code ec;
        fs::directory_iterator it(*users, ec);
        for (int n = 0; !ec && it != fs::directory_iterator() && n < kMaxUsers; it.increment(ec), ++n) {
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
};

} // namespace

TerminalTarget legacyTarget(const std::string& folder)
{
    return {folder + "/experts", folder + "/experts/files"};
}

const DataFolderLocator& wineDataFolderLocator()
{
    static const WineLocator locator;
    return locator;
}

TerminalTargets resolveTerminalTargets(const std::string& folder)
{
    return resolveTerminalTargets(folder, wineDataFolderLocator());
}

TerminalTargets resolveTerminalTargets(const std::string& folder, const DataFolderLocator& locator)
{
    TerminalTargets result;
    if (folder.empty())
        return result;

    std::vector<Candidate> found;
    found.push_back(candidate(legacyTarget(folder)));
    if (std::optional<Candidate> own = mql4Candidate(folder))
        found.push_back(std::move(*own));
    if (std::optional<DataFolderPlaces> places = locator.Locate(folder))
        addDataFolders(*places, found);

    // The same data folder reached twice (the folder chosen is itself one that
    // origin.txt links to) is served once.
    std::vector<Candidate> unique;
    for (Candidate& c : found) {
        bool seen = false;
        for (const Candidate& u : unique)
            seen = seen || (c.expertExists && sameFolder(c.target.expertFolder, u.target.expertFolder));
        if (!seen)
            unique.push_back(std::move(c));
    }

    for (const bool wantSignalFolder : {true, false}) {
        for (const Candidate& c : unique) {
            if (c.expertExists && (c.signalExists || !wantSignalFolder))
                result.targets.push_back(c.target);
        }
        if (!result.targets.empty())
            return result;
    }
    result.targets.push_back(legacyTarget(folder));
    result.dataFolderMissing = childNamed(folder, "terminal.exe", false).has_value();
    return result;
}

std::optional<std::string> readOriginFile(const std::string& path)
{
    std::string bytes;
    if (!readPrefix(path, kOriginLimit, bytes))
        return std::nullopt;
    const auto at = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    std::u32string text;
    if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE)
        text = decodeUtf16(std::string_view(bytes).substr(2), true);
    else if (bytes.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF)
        text = decodeUtf16(std::string_view(bytes).substr(2), false);
    else if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF)
        text = decodeUtf8OrLatin1(std::string_view(bytes).substr(3));
    else if (bytes.size() >= 2 && at(0) != 0 && at(1) == 0)
        text = decodeUtf16(bytes, true); // UTF-16 LE that lost its byte-order mark
    else
        text = decodeUtf8OrLatin1(bytes);

    const std::size_t end = text.find_first_of(U"\r\n\0", 0, 3);
    // Cut off by the read limit: the path may be longer than what was read.
    if (end == std::u32string::npos && bytes.size() >= kOriginLimit)
        return std::nullopt;
    text.resize(std::min(end, text.size()));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    if (text.empty())
        return std::nullopt;
    return encodeUtf8(text);
}

bool sameWindowsPath(const std::string& a, const std::string& b)
{
    const std::u32string ka = windowsPathKey(a);
    return !ka.empty() && ka == windowsPathKey(b);
}

} // namespace quorvane
