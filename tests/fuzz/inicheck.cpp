// SPDX-License-Identifier: MIT
#include "checks.h"

#include "app/inifile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace quorvane::fuzz {

namespace {

// One scratch folder per process: the fuzzer runs millions of inputs and
// must not litter the temporary folder with one file per input.
const std::string& scratchFile()
{
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quorvane-ini-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        return pattern + "/quorvane.INI";
    }();
    return path;
}

void writeBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string trimmed(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

bool sameNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x))
                   == std::tolower(static_cast<unsigned char>(y));
           });
}

struct Line {
    std::size_t offset;
    std::string text;    // trimmed, without the line end
    bool plain;          // no blanks around the text and around a section name
};

std::vector<Line> linesOf(std::string_view content)
{
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string_view::npos)
            end = content.size();
        const std::string_view raw = content.substr(start, end - start);
        std::string text = trimmed(raw);
        bool plain = true;
        if (!text.empty() && text.front() == '[') {
            const std::size_t close = text.find(']');
            plain = raw.front() == '[' && close != std::string::npos
                && trimmed(std::string_view(text).substr(1, close - 1)) == text.substr(1, close - 1);
        }
        lines.push_back({start, std::move(text), plain});
        start = end + 1;
    }
    return lines;
}

std::optional<std::string> sectionName(const std::string& line)
{
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    return trimmed(std::string_view(line).substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// The keys and section names that the file itself uses, so reads meet the
// odd spellings the input holds and not only the program's own keys.
void collectNames(const std::vector<Line>& lines, std::vector<std::string>& sections,
                  std::vector<std::string>& keys)
{
    for (const Line& line : lines) {
        if (auto name = sectionName(line.text)) {
            if (sections.size() < 7)
                sections.push_back(*name);
        } else if (const std::size_t eq = line.text.find('='); eq != std::string::npos) {
            if (keys.size() < 12)
                keys.push_back(trimmed(std::string_view(line.text).substr(0, eq)));
        }
    }
}

// A default no written value can equal, so a missing key shows.
constexpr const char* kAbsent = "<absent>";
constexpr std::array<const char*, 4> kSections{"Form", "FORM", "Other", "Fresh"};
constexpr std::array<const char*, 6> kKeys{"sound", "MaxS", "mt4-path", "Key", "symbel", "k"};

std::string safeValue(unsigned char seed, std::string_view content)
{
    static constexpr std::string_view alphabet =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.:/\\";
    std::string value;
    const std::size_t length = seed % 48u;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = i < content.size() ? static_cast<unsigned char>(content[i]) : static_cast<unsigned char>(i);
        value.push_back(alphabet[(c + seed + i) % alphabet.size()]);
    }
    // Blanks inside a value are kept; only blanks at its ends are stripped on read.
    if (length > 4)
        value[length / 2] = ' ';
    return value;
}

std::string checkReads(const TIniFile& ini, const std::vector<std::string>& sections,
                       const std::vector<std::string>& keys)
{
    for (const std::string& section : sections) {
        for (const std::string& key : keys) {
            try {
                ini.ReadBool(section, key, true);
                ini.ReadInteger(section, key, 25);
                if (ini.ReadString(section, key, "").size() > 2047)
                    return "a read text is longer than 2047 characters";
            } catch (const std::exception& e) {
                return std::string("a read threw: ") + e.what();
            } catch (...) {
                return "a read threw a non-standard exception";
            }
        }
    }
    return {};
}

// Everything outside the written section must survive byte for byte.
std::string checkLayout(std::string_view content, const std::vector<Line>& lines,
                        const std::string& section, const std::string& after)
{
    std::optional<std::size_t> header;
    std::size_t headerCount = 0;
    std::size_t sectionEnd = content.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i].text);
        if (!name)
            continue;
        if (sameNoCase(*name, section)) {
            ++headerCount;
            if (!header)
                header = i;
        } else if (header && sectionEnd == content.size() && i > *header) {
            sectionEnd = lines[i].offset;
        }
    }
    const std::size_t sectionStart = header ? lines[*header].offset : content.size();
    if (after.compare(0, sectionStart, content.substr(0, sectionStart)) != 0 || after.size() < sectionStart)
        return "the write changed text in front of its section";
    // With the section named twice the later copy may be read or merged either
    // way; only the single-section case pins down the tail.
    if (headerCount <= 1) {
        const std::string_view tail = content.substr(sectionEnd);
        if (after.size() < sectionStart + tail.size()
            || std::string_view(after).substr(after.size() - tail.size()) != tail)
            return "the write changed text behind its section";
    }

    return {};
}

} // namespace

std::string checkIniFile(std::string_view input)
{
    const unsigned char sectionPick = input.size() > 0 ? static_cast<unsigned char>(input[0]) : 0;
    const unsigned char keyPick = input.size() > 1 ? static_cast<unsigned char>(input[1]) : 0;
    const unsigned char valuePick = input.size() > 2 ? static_cast<unsigned char>(input[2]) : 0;
    const std::string_view content = input.substr(std::min<std::size_t>(3, input.size()));

    const std::string& path = scratchFile();
    writeBytes(path, content);
    TIniFile ini(path);

    const std::vector<Line> lines = linesOf(content);
    std::vector<std::string> sections(kSections.begin(), kSections.end());
    std::vector<std::string> keys(kKeys.begin(), kKeys.end());
    collectNames(lines, sections, keys);
    if (std::string broken = checkReads(ini, sections, keys); !broken.empty())
        return broken;

    const std::string section = kSections[sectionPick % kSections.size()];
    const std::string key = kKeys[keyPick % kKeys.size()];
    const std::string value = safeValue(valuePick, content);
    try {
        ini.WriteString(section, key, value);
    } catch (const std::exception& e) {
        return std::string("writing a writable file threw: ") + e.what();
    }
    const std::string after = readBytes(path);

    std::string readBack;
    try {
        readBack = ini.ReadString(section, key, kAbsent);
    } catch (...) {
        return "reading back the written key threw";
    }
    if (readBack != value)
        return "the written value reads back as '" + readBack + "' instead of '" + value + "'";

    // Header spellings with blanks or without "]" are read one way or another
    // by different INI readers; the layout check is left to plain files.
    if (std::all_of(lines.begin(), lines.end(), [](const Line& l) { return l.plain; })) {
        if (std::string broken = checkLayout(content, lines, section, after); !broken.empty())
            return broken;
    }

    // A second key in the same section: the first one must not move or change.
    const std::string numberKey = key == "k" ? "MaxS" : "k";
    const int number = (static_cast<int>(valuePick) - 128) * 1000003;
    try {
        ini.WriteInteger(section, numberKey, number);
        if (ini.ReadInteger(section, numberKey, 0) != number)
            return "a written integer reads back differently";
        if (ini.ReadString(section, key, kAbsent) != value)
            return "writing a second key changed the first";
    } catch (const std::exception& e) {
        return std::string("writing or reading an integer threw: ") + e.what();
    }
    return checkReads(ini, {section}, keys);
}

} // namespace quorvane::fuzz
