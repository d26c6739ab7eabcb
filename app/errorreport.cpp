// SPDX-License-Identifier: MIT
#include "errorreport.h"

#include <QMessageBox>

#include <exception>

namespace quorvane {

void runGuarded(const ErrorReporter& report, const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        report(e.what());
    } catch (...) {
        report(std::string());
    }
}

void showErrorBox(const std::string& message)
{
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
                    QString::fromLocal8Bit(message), QMessageBox::Ok);
    box.exec();
}

QuorvaneApplication::QuorvaneApplication(int& argc, char** argv, ErrorReporter report)
    : QApplication(argc, argv), m_report(std::move(report))
{
}

bool QuorvaneApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    runGuarded(m_report, [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace quorvane
