#include "inifile.h"

#include "exceptions.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
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

char lowered(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowered(a[i]) != lowered(b[i]))
            return false;
    }
    return true;
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

ReadResult readFile(const std::string& path, std::string* content)
{
    // Non-blocking open and a regular-file check: a FIFO or device put in the
    // file's place must not hang the program at start or exit.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return ReadResult::Failed;
    }
    content->clear();
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return ReadResult::Failed;
        }
        if (got == 0)
            break;
        content->append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return ReadResult::Ok;
}

// Index of the first header line of the section, if there is one.
std::optional<std::size_t> findSection(const Document& document, const std::string& section)
{
    std::string name;
    for (std::size_t i = 0; i < document.lines.size(); ++i) {
        if (isSectionHeader(document.lines[i].text, &name) && sameName(name, section))
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
    if (readFile(path, &content) != ReadResult::Ok)
        return false;
    const Document document = parse(content);
    const std::optional<std::size_t> header = findSection(document, section);
    if (!header)
        return false;
    const std::size_t end = sectionEnd(document, *header);
    std::string lineKey;
    for (std::size_t i = *header + 1; i < end; ++i) {
        if (isKeyLine(document.lines[i].text, &lineKey, value) && sameName(lineKey, key)) {
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

bool writeAll(int fd, const std::string& content)
{
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t put = ::write(fd, content.data() + written, content.size() - written);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        written += static_cast<std::size_t>(put);
    }
    return true;
}

// Rewrites the file itself, so its inode, links, owner, group and mode stay.
// Room for the new text is reserved first: a full disk fails the write before
// a byte of the old settings is changed.
bool overwriteInPlace(const std::string& target, const std::string& content)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const auto size = static_cast<off_t>(content.size());
    if (ok && size > info.st_size) {
        const int reserved = ::posix_fallocate(fd, 0, size);
        ok = reserved != ENOSPC && reserved != EDQUOT;
    }
    ok = ok && ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, content) && ::ftruncate(fd, size) == 0
        && ::fsync(fd) == 0;
    return (::close(fd) == 0) && ok;
}

// Writes next to the target and renames over it, so a crash leaves either the
// old or the new settings file, never half of one. Where that would change the
// file (a hard link would be cut off, the owner or group could not be kept) or
// cannot be done (a read-only program folder with a writable settings file, a
// rename refused), the file is rewritten in place instead.
bool replaceFile(const std::string& path, const std::string& content)
{
    // Follow a symbolic link so the link stays and its target gets the new text.
    std::string target = path;
    struct stat linkInfo {};
    if (::lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(path.c_str(), resolved))
            return false;
        target = resolved;
    }
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode))
        return false;
    if (exists && info.st_nlink > 1)
        return overwriteInPlace(target, content);

    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return exists && overwriteInPlace(target, content);

    bool ok = true;
    if (exists) {
        struct stat made {};
        ok = ::fstat(fd, &made) == 0;
        // Owner first: a change of owner clears set-id bits that the mode restores.
        if (ok && (made.st_uid != info.st_uid || made.st_gid != info.st_gid))
            ok = ::fchown(fd, info.st_uid, info.st_gid) == 0;
        ok = ok && ::fchmod(fd, info.st_mode & 07777) == 0;
    }
    ok = ok && writeAll(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (ok)
        return true;
    ::unlink(temporary.c_str());
    return exists && overwriteInPlace(target, content);
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
    const ReadResult read = readFile(m_path, &content);
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
            if (isKeyLine(line.text, &lineKey, nullptr) && sameName(lineKey, cleanKey)) {
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

    if (!replaceFile(m_path, serialise(document)))
        throw failure;
}

} // namespace quorvane
