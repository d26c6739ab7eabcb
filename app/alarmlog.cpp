// SPDX-License-Identifier: MIT
#include "alarmlog.h"

#include "core/exceptions.h"
#include "core/files.h"

#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <utility>

namespace quorvane {

std::string normaliseLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

AlarmLog::AlarmLog(std::string path) : m_path(std::move(path)) {}

void AlarmLog::Load()
{
    m_text.clear();
    m_keepFile = false;
    struct stat st {};
    if (::stat(m_path.c_str(), &st) != 0)
        return; // absent: the first exit creates it empty
    // There is something at the path; if it cannot be read whole, writing an
    // empty memo back at exit would destroy it.
    m_keepFile = true;
    if (!S_ISREG(st.st_mode))
        return;
    std::string raw;
    try {
        std::ifstream in(m_path, std::ios::binary);
        if (!in)
            return;
        raw.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad())
            return;
    } catch (...) {
        return; // the load is guarded as a whole: the memo stays empty
    }
    m_keepFile = false;
    m_text = normaliseLineBreaks(raw);
}

void AlarmLog::Save() const
{
    if (m_keepFile)
        return;
    // Replaced, never truncated first: a crash during exit keeps the old log.
    if (!replaceFile(m_path, m_text))
        throw EFCreateError(m_path);
}

} // namespace quorvane
