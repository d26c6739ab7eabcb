// SPDX-License-Identifier: MIT
#include "regional.h"

#include <QLocale>
#include <QString>

namespace quorvane {

char regionalDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    if (point.size() != 1 || point.at(0).unicode() > 0xFF)
        return '.';
    return static_cast<char>(point.at(0).unicode());
}

} // namespace quorvane
