// SPDX-License-Identifier: MIT
#include "handlerreport.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <exception>

namespace quorvane {

void showHandlerError(const std::string& message)
{
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
                    QString::fromLocal8Bit(message), QMessageBox::Ok);
    box.exec();
}

void runReported(const HandlerErrorReport& report, const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        if (report)
            report(e.what());
    } catch (...) {
        if (report)
            report(std::string());
    }
}

} // namespace quorvane
