// SPDX-License-Identifier: MIT
#include "poll/errorlog.h"

#include "core/exceptions.h"
#include "core/files.h"

#include <string>

namespace quorvane {

void AppendLog(const std::string& folder, const std::string& text, const std::string& fileName)
{
    const std::string path = folder + fileName;
    const FileResult result = appendToFile(path, text + '\n');
    if (result.failed == FileStep::Open)
        throw EFOpenError(path);
    if (result.failed == FileStep::Create)
        throw EFCreateError(path);
    // A short write (a full disk) goes unreported, as before: the poll that
    // failed has already been reported in the status bar.
}

std::string logQuote(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    // The replies are UTF-8 as the decoder hands them on, so a cut through a
    // character would leave the line unreadable for an editor from there on. Step
    // back to the character's first byte when one within reach claims the cut;
    // 8-bit text that is no UTF-8 is cut at the limit.
    std::size_t cut = limit;
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if ((byte(cut) & 0xC0) == 0x80) {
        for (std::size_t back = 1; back <= 3 && back <= cut; ++back) {
            const unsigned char b = byte(cut - back);
            if ((b & 0xC0) == 0x80)
                continue;
            const std::size_t length = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 1;
            if (length > back)
                cut -= back;
            break;
        }
    }
    const std::size_t leftOut = text.size() - cut;
    return text.substr(0, cut) + "... [" + std::to_string(leftOut) + (leftOut == 1 ? " byte" : " bytes")
        + " left out]";
}

std::string errorLogLine(const std::string& message, const std::string& reply,
                         const std::string& timestamp)
{
    // A broken or hostile service could otherwise add a 16 MiB line per poll,
    // through its reply or through a message that quotes it.
    return logQuote(message) + ", " + logQuote(reply) + ", " + timestamp;
}

} // namespace quorvane
