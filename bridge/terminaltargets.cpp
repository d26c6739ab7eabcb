#include "terminaltargets.h"

#include "folderlookup.h"
#include "text.h"

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

constexpr char32_t kReplacement = 0xFFFD;

std::optional<std::u32string> decodeUtf8(std::string_view s)
{
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t c = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0 && b >= 0xC2) {
            extra = 1;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0 && b <= 0xF4) {
            extra = 3;
            c = b & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + static_cast<std::size_t>(extra) >= s.size() && extra > 0)
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cont & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (cont & 0x3F);
        }
        out.push_back(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::u32string decodeUtf8OrLatin1(std::string_view s)
{
    if (std::optional<std::u32string> utf8 = decodeUtf8(s))
        return *utf8;
    // The terminal's 8-bit code page; Latin-1 is its nearest fixed reading.
    std::u32string out;
    for (const char c : s)
        out.push_back(static_cast<unsigned char>(c));
    return out;
}

std::u32string decodeUtf16(std::string_view s, bool littleEndian)
{
    std::u32string out;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(s[littleEndian ? i : i + 1]);
        const auto hi = static_cast<unsigned char>(s[littleEndian ? i + 1 : i]);
        const char32_t unit = static_cast<char32_t>(hi << 8 | lo);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < s.size()) {
            const auto lo2 = static_cast<unsigned char>(s[littleEndian ? i + 2 : i + 3]);
            const auto hi2 = static_cast<unsigned char>(s[littleEndian ? i + 3 : i + 2]);
            const char32_t next = static_cast<char32_t>(hi2 << 8 | lo2);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                out.push_back(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                i += 2;
                continue;
            }
        }
        out.push_back(unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit);
    }
    return out;
}

std::string encodeUtf8(const std::u32string& text)
{
    std::string out;
    for (const char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// Windows compares paths without letter case; this covers the scripts that
// folder names of a terminal installation are realistically written in.
char32_t foldCase(char32_t c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    if (c == 0x178) // Y with diaeresis pairs with U+00FF
        return 0xFF;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Latin Extended-A pairs upper and lower case; the parity of the pair
        // flips after U+0138 and again after U+0149.
        const bool upperIsEven = c < 0x139 || (c > 0x149 && c < 0x179);
        if ((c % 2 == 0) == upperIsEven)
            return c + 1;
    }
    return c;
}

std::u32string windowsPathKey(const std::string& utf8)
{
    std::u32string key = decodeUtf8OrLatin1(utf8);
    for (char32_t& c : key)
        c = c == '/' ? U'\\' : foldCase(c);
    while (!key.empty() && (key.back() == '\\' || key.back() == ' ' || key.back() == '\t'))
        key.pop_back();
    return key;
}

bool readPrefix(const std::string& path, std::string& bytes)
{
    // Non-blocking, so a FIFO in origin.txt's place cannot stall the window.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    bytes.assign(kOriginLimit, '\0');
    std::size_t got = 0;
    while (ok && got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return ok;
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
    if (!readPrefix(path, bytes))
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
