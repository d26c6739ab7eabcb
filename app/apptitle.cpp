// SPDX-License-Identifier: MIT
#include "apptitle.h"

#include "apppaths.h"

#include <QGuiApplication>

namespace quorvane {

void nameApplication(const std::string& exePath)
{
    // applicationDisplayName() falls back to this name for the message boxes.
    QCoreApplication::setApplicationName(QString::fromLocal8Bit(applicationTitle(exePath)));
}

} // namespace quorvane
