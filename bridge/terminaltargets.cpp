// SPDX-License-Identifier: MIT
#include "terminaltargets.h"

#include "core/files.h"
#include "core/text.h"
#include "core/unicode.h"
#include "folderlookup.h"

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
    c.expertExists = isFolder(target.expertFolder);
    c.signalExists = c.expertExists && isFolder(target.signalFolder);
    c.target = std::move(target);
    return c;
}

// MQL4/Experts and MQL4/Files (MQL5/… for MetaTrader 5) below a data folder or a
// portable installation, joined to the folder's text as it is.
std::optional<Candidate> mqlCandidate(const std::string& folder, TerminalKind kind)
{
    const std::optional<fs::path> mql = childNamed(folder, kind == TerminalKind::Mt5 ? "MQL5" : "MQL4", true);
    if (!mql)
        return std::nullopt;
    const std::string base = folder + (folder.empty() || folder.back() == '/' ? "" : "/") + mql->filename().string();
    const std::optional<fs::path> experts = childNamed(*mql, "Experts", true);
    const std::optional<fs::path> files = childNamed(*mql, "Files", true);
    return candidate({base + "/" + (experts ? experts->filename().string() : "Experts"),
                      base + "/" + (files ? files->filename().string() : "Files"), kind});
}

// A data folder holds one of the two in practice; one holding both is served as both.
void addMqlCandidates(const std::string& folder, std::vector<Candidate>& out)
{
    for (const TerminalKind kind : {TerminalKind::Mt4, TerminalKind::Mt5}) {
        if (std::optional<Candidate> c = mqlCandidate(folder, kind))
            out.push_back(std::move(*c));
    }
}

void addDataFolders(const DataFolderPlaces& places, std::vector<Candidate>& out)
{
    for (const std::string& root : places.terminalFolders) {
        std::error_code ec;
        fs::directory_iterator it(root, ec);
        for (int n = 0; !ec && it != fs::directory_iterator() && n < kMaxFolderEntries; it.increment(ec), ++n) {
            const fs::path& entry = it->path();
            if (!isDataFolderName(entry.filename().string()) || !isFolder(entry))
                continue;
            const std::optional<std::string> origin = readOriginFile((entry / "origin.txt").string());
            if (!origin || !sameWindowsPath(*origin, places.originPath))
                continue;
            addMqlCandidates(entry.string(), out);
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

} // namespace

TerminalTarget legacyTarget(const std::string& folder)
{
    return {folder + "/experts", folder + "/experts/files"};
}

const char* terminalKindName(TerminalKind kind)
{
    switch (kind) {
    case TerminalKind::Mt4:
        return "MT4";
    case TerminalKind::Mt5:
        return "MT5";
    case TerminalKind::Shared:
        break;
    }
    return "shared by all terminals";
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
    addMqlCandidates(folder, found);
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
    // terminal.exe: MetaTrader 4 and a 32-bit MetaTrader 5; terminal64.exe: a 64-bit one.
    result.dataFolderMissing =
        childNamed(folder, "terminal.exe", false).has_value() || childNamed(folder, "terminal64.exe", false).has_value();
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
