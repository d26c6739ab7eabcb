#include "errorlog.h"

#include "exceptions.h"

#include <QDateTime>
#include <QLocale>

#include <cerrno>
#include <cstdio>
#include <memory>

namespace quorvane {

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
} // namespace

void AppendLog(const std::string& folder, const std::string& text, const std::string& fileName)
{
    const std::string path = folder + fileName;
    // Open an existing file for update so its content is kept; create only
    // when it is not there, to tell "cannot open" from "cannot create".
    File file(std::fopen(path.c_str(), "r+b"));
    if (!file) {
        // ENOTDIR: a part of the folder is a file, so no log file exists there either.
        if (errno != ENOENT && errno != ENOTDIR)
            throw EFOpenError(path);
        file.reset(std::fopen(path.c_str(), "w+b"));
        if (!file)
            throw EFCreateError(path);
    }
    std::fseek(file.get(), 0, SEEK_END);
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::fputc('\n', file.get());
}

std::string LogTimestamp(const QDateTime& localTime)
{
    const QLocale locale = QLocale::system();
    QString stamp = locale.toString(localTime.date(), QLocale::ShortFormat);
    if (localTime.time() != QTime(0, 0, 0)) {
        // Qt's long time format may carry a time-zone name; the log keeps
        // the clock time with seconds, as the user reads it elsewhere.
        QString format = locale.timeFormat(QLocale::LongFormat);
        format.remove(QLatin1Char('t'));
        stamp += QLatin1Char(' ') + locale.toString(localTime.time(), format.trimmed());
    }
    return stamp.toStdString();
}

std::string ErrorLogLine(const std::string& message, const std::string& reply,
                         const std::string& timestamp)
{
    return message + ", " + reply + ", " + timestamp;
}

} // namespace quorvane
