// SPDX-License-Identifier: MIT
#include "poll/logtimestamp.h"

#include <QDateTime>
#include <QLocale>

namespace quorvane {

std::string logTimestamp(const QDateTime& localTime)
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

} // namespace quorvane
