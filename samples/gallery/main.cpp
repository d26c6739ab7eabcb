// SPDX-License-Identifier: MIT
// quorvane-components: every component of the set in one window.
#include "pages.h"

#include <QApplication>
#include <QTabWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTabWidget window;
    window.setWindowTitle(QStringLiteral("Quorvane components"));
    window.addTab(makePerformanceGraphPage(&window), QStringLiteral("Performance graph"));
    window.addTab(makeGaugePage(&window), QStringLiteral("Gauge"));
    window.addTab(makeSpinPage(&window), QStringLiteral("Spin edit"));
    window.addTab(makeCalendarPage(&window), QStringLiteral("Calendar"));
    window.addTab(makeDirectoryOutlinePage(&window), QStringLiteral("Directory outline"));
    window.resize(720, 480);
    window.show();
    return app.exec();
}
