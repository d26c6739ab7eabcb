// SPDX-License-Identifier: MIT
#include "inifile.h"

#include "core/exceptions.h"
#include "core/files.h"
#include "core/text.h"

#include <cerrno>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace quorvane {

namespace {

// Longest value a read hands back; the Windows functions fill a 2048-byte buffer.
constexpr std::size_t maxValueLength = 2047;

const char* const crlf = "\r\n";

struct Line {
    std::string text;   // without its line end
    std::string ending; // "\r\n", "\n" or "" for a last line without one
};

struct Document {
    std::vector<Line> lines;
    std::string newline = crlf; // what new lines get: the file's own line end
};

// A lone CR (a line end gone wrong) counts as a blank as well.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string trimmed(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool isSectionHeader(const std::string& line, std::string* name)
{
    const std::string text = trimmed(line);
    if (text.empty() || text[0] != '[')
        return false;
    const std::size_t close = text.find(']');
    *name = trimmed(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

bool isKeyLine(const std::string& line, std::string* key, std::string* value)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    *key = trimmed(line.substr(0, equals));
    if (value)
        *value = trimmed(line.substr(equals + 1));
    return !key->empty();
}

Document parse(const std::string& content)
{
    Document document;
    bool endingSeen = false;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t newline = content.find('\n', start);
        Line line;
        if (newline == std::string::npos) {
            line.text = content.substr(start);
            start = content.size();
        } else {
            std::size_t textEnd = newline;
            if (textEnd > start && content[textEnd - 1] == '\r')
                --textEnd;
            line.text = content.substr(start, textEnd - start);
            line.ending = content.substr(textEnd, newline + 1 - textEnd);
            start = newline + 1;
            if (!endingSeen) {
                document.newline = line.ending;
                endingSeen = true;
            }
        }
        document.lines.push_back(std::move(line));
    }
    return document;
}

std::string serialise(const Document& document)
{
    std::string content;
    for (const Line& line : document.lines) {
        content += line.text;
        content += line.ending;
    }
    return content;
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult readSettings(const std::string& path, std::string* content)
{
    const FileResult read = readFile(path, *content);
    if (read)
        return ReadResult::Ok;
    return read.failed == FileStep::Open && read.error == ENOENT ? ReadResult::Missing : ReadResult::Failed;
}

// Index of the first header line of the section, if there is one.
std::optional<std::size_t> findSection(const Document& document, const std::string& section)
{
    std::string name;
    for (std::size_t i = 0; i < document.lines.size(); ++i) {
        if (isSectionHeader(document.lines[i].text, &name) && equalsIgnoringAsciiCase(name, section))
            return i;
    }
    return std::nullopt;
}

// One past the last line that belongs to the section starting at header.
std::size_t sectionEnd(const Document& document, std::size_t header)
{
    std::string name;
    std::size_t i = header + 1;
    while (i < document.lines.size() && !isSectionHeader(document.lines[i].text, &name))
        ++i;
    return i;
}

bool lookUp(const std::string& path, const std::string& section, const std::string& key,
            std::string* value)
{
    std::string content;
    if (readSettings(path, &content) != ReadResult::Ok)
        return false;
    const Document document = parse(content);
    const std::optional<std::size_t> header = findSection(document, section);
    if (!header)
        return false;
    const std::size_t end = sectionEnd(document, *header);
    std::string lineKey;
    for (std::size_t i = *header + 1; i < end; ++i) {
        if (isKeyLine(document.lines[i].text, &lineKey, value) && equalsIgnoringAsciiCase(lineKey, key)) {
            // Like the Windows functions: one pair of matching enclosing quotes goes.
            if (value->size() >= 2 && (value->front() == '"' || value->front() == '\'')
                && value->back() == value->front())
                *value = value->substr(1, value->size() - 2);
            if (value->size() > maxValueLength)
                value->resize(maxValueLength);
            return true;
        }
    }
    return false;
}

bool parseDigits(const std::string& text, std::size_t start, int base, unsigned long long limit,
                 unsigned long long* result)
{
    if (start >= text.size())
        return false;
    unsigned long long value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return false;
        value = value * static_cast<unsigned long long>(base) + static_cast<unsigned long long>(digit);
        if (value > limit)
            return false;
    }
    *result = value;
    return true;
}

// Decimal with optional sign, or hexadecimal after "$" (also "-$") as a 32-bit
// pattern, so "$FFFFFFFF" reads as -1.
bool parseInteger(std::string text, int* result)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = "$" + text.substr(2);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned long long magnitude = 0;
    if (i < text.size() && text[i] == '$') {
        if (!parseDigits(text, i + 1, 16, 0xFFFFFFFFull, &magnitude))
            return false;
        const auto pattern = static_cast<std::uint32_t>(negative ? 0u - magnitude : magnitude);
        *result = static_cast<int>(pattern);
        return true;
    }
    const unsigned long long limit = negative ? 2147483648ull : 2147483647ull;
    if (!parseDigits(text, i, 10, limit, &magnitude))
        return false;
    const long long signedValue = negative ? -static_cast<long long>(magnitude)
                                           : static_cast<long long>(magnitude);
    *result = static_cast<int>(signedValue);
    return true;
}

bool hasLineBreak(const std::string& text)
{
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

} // namespace

TIniFile::TIniFile(std::string path) : m_path(std::move(path)) {}

const std::string& TIniFile::FileName() const { return m_path; }

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const
{
    std::string text;
    if (!lookUp(m_path, section, key, &text))
        return def;
    int value = 0;
    return parseInteger(text, &value) ? value : def;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const
{
    std::string value;
    return lookUp(m_path, section, key, &value) ? value : def;
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    const Exception failure("Unable to write to " + m_path);
    // A line break in any part would plant extra keys or sections in the file;
    // such names could never be read back either.
    const std::string cleanSection = trimmed(section);
    const std::string cleanKey = trimmed(key);
    if (cleanSection.empty() || cleanKey.empty() || hasLineBreak(section) || hasLineBreak(key)
        || hasLineBreak(value) || section.find(']') != std::string::npos
        || key.find('=') != std::string::npos || cleanKey.front() == '[')
        throw failure;

    std::string content;
    const ReadResult read = readSettings(m_path, &content);
    // Starting from an empty text when the file is merely unreadable would wipe it.
    if (read == ReadResult::Failed)
        throw failure;

    Document document = parse(content);
    const std::string newLine = cleanKey + "=" + value;
    const std::optional<std::size_t> header = findSection(document, cleanSection);
    if (!header) {
        if (!document.lines.empty() && document.lines.back().ending.empty())
            document.lines.back().ending = document.newline;
        document.lines.push_back({"[" + cleanSection + "]", document.newline});
        document.lines.push_back({newLine, document.newline});
    } else {
        const std::size_t start = *header;
        const std::size_t end = sectionEnd(document, start);
        std::size_t last = start; // last non-blank line of the section
        std::string lineKey;
        bool replaced = false;
        for (std::size_t i = start + 1; i < end && !replaced; ++i) {
            Line& line = document.lines[i];
            if (isKeyLine(line.text, &lineKey, nullptr) && equalsIgnoringAsciiCase(lineKey, cleanKey)) {
                // The file's own spelling of the key stays.
                line.text = lineKey + "=" + value;
                replaced = true;
            } else if (!trimmed(line.text).empty()) {
                last = i;
            }
        }
        if (!replaced) {
            Line& before = document.lines[last];
            if (before.ending.empty())
                before.ending = document.newline;
            document.lines.insert(document.lines.begin() + static_cast<long>(last) + 1,
                                  Line{newLine, document.newline});
        }
    }

    // Atomic where the folder allows, in place where it does not (a read-only
    // program folder with a writable settings file); links, owner and mode stay.
    if (!replaceFile(m_path, serialise(document)))
        throw failure;
}

} // namespace quorvane
