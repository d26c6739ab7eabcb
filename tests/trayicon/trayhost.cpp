// SPDX-License-Identifier: MIT
// quorvane-trayhost: a plain window with a tray icon set up like the main
// window's (hint "Quorvane 2.0", restore on double click, menu on right-button
// release with "&Restore" and "&Exit"). It reports what happens on stdout so
// an end-to-end test can follow it.

#include "trayicon/ttrayicon.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>

#include <cstdio>
#include <string>

namespace {

void report(const std::string& what)
{
    std::printf("%s\n", what.c_str());
    std::fflush(stdout);
}

QIcon lamp(const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    painter.setBrush(colour);
    painter.drawEllipse(1, 1, 14, 14);
    return QIcon(pixmap);
}

} // namespace

int main(int argc, char* argv[])
{
    using namespace quorvane;
    QApplication app(argc, argv);
    QApplication::setWindowIcon(lamp(Qt::blue));

    QLabel window("Minimise me: I go to the tray.");
    window.setWindowTitle("Quorvane Tray Host");
    window.resize(320, 160);

    TImageList lamps(&window);
    for (QColor colour : {Qt::white, Qt::green, Qt::red, Qt::darkGreen, Qt::darkRed})
        lamps.Add(lamp(colour));

    QMenu menu(&window);
    TTrayIcon tray(&window, &window);
    QObject::connect(menu.addAction("&Restore"), &QAction::triggered, &window, [&tray] {
        report("menu restore");
        tray.Restore();
    });
    QObject::connect(menu.addAction("&Exit"), &QAction::triggered, &window, [&window] {
        report("menu exit");
        window.close();
    });
    QObject::connect(&menu, &QMenu::aboutToShow, &window, [] { report("menu shown"); });
    tray.OnMinimize = [](QObject*) { report("minimized"); };
    tray.OnRestore = [](QObject*) { report("restored"); };
    tray.OnDblClick = [](QObject*) { report("double click"); };
    static const char* const buttons[] = {"left", "right", "middle"};
    tray.OnMouseDown = [](QObject*, TMouseButton b, TShiftState, int, int) { report(std::string("down ") + buttons[b]); };
    tray.OnMouseUp = [](QObject*, TMouseButton b, TShiftState, int, int) { report(std::string("up ") + buttons[b]); };

    try {
        // The same order as the main window's layout sets them.
        tray.SetVisible(true);
        tray.SetHint("Quorvane 2.0");
        tray.SetPopupMenu(&menu);
        tray.SetRestoreOn(imDoubleClick);
        tray.SetPopupMenuOn(imRightClickUp);
        tray.SetIcons(&lamps);
        tray.SetIconIndex(1);
        tray.Loaded();
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }

    window.show();
    report("ready");
    const int code = app.exec();
    report("shutdown complete");
    return code;
}
