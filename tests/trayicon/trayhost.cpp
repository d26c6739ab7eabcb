// quorvane-trayhost: a plain window with a tray icon set up like the main
// window's (hint "Quorvane 2.0", restore on double click, menu on right-button
// release with "&Restore" and "&Exit"). It reports what happens on stdout so
// an end-to-end test can follow it.

#include "ttrayicon.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

namespace {

void report(const char* what)
{
    std::printf("%s\n", what);
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
    QApplication app(argc, argv);
    QApplication::setWindowIcon(lamp(Qt::blue));

    QWidget window;
    window.setWindowTitle("Quorvane Tray Host");
    window.resize(320, 160);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel("Minimise me: I go to the tray.", &window));

    quorvane::TImageList lamps(&window);
    lamps.Add(lamp(Qt::white));
    lamps.Add(lamp(Qt::green));
    lamps.Add(lamp(Qt::red));
    lamps.Add(lamp(Qt::darkGreen));
    lamps.Add(lamp(Qt::darkRed));

    QMenu menu(&window);
    QAction* restore = menu.addAction("&Restore");
    QAction* exit = menu.addAction("&Exit");

    quorvane::TTrayIcon tray(&window, &window);
    QObject::connect(restore, &QAction::triggered, &window, [&tray] {
        report("menu restore");
        tray.Restore();
    });
    QObject::connect(exit, &QAction::triggered, &window, [&window] {
        report("menu exit");
        window.close();
    });
    QObject::connect(&menu, &QMenu::aboutToShow, &window, [] { report("menu shown"); });
    tray.OnMinimize = [](QObject*) { report("minimized"); };
    tray.OnRestore = [](QObject*) { report("restored"); };
    static const char* const buttons[] = {"left", "right", "middle"};
    tray.OnMouseDown = [](QObject*, quorvane::TMouseButton button, quorvane::TShiftState, int, int) {
        std::printf("down %s\n", buttons[button]);
        std::fflush(stdout);
    };
    tray.OnMouseUp = [](QObject*, quorvane::TMouseButton button, quorvane::TShiftState, int, int) {
        std::printf("up %s\n", buttons[button]);
        std::fflush(stdout);
    };
    tray.OnDblClick = [](QObject*) { report("double click"); };

    try {
        // The same order as the main window's layout sets them.
        tray.SetVisible(true);
        tray.SetHint("Quorvane 2.0");
        tray.SetPopupMenu(&menu);
        tray.SetRestoreOn(quorvane::imDoubleClick);
        tray.SetPopupMenuOn(quorvane::imRightClickUp);
        tray.SetIcons(&lamps);
        tray.SetIconIndex(1);
        tray.Loaded();
    } catch (const quorvane::Exception& error) {
        QMessageBox::critical(nullptr, "Quorvane Tray Host", QString::fromLocal8Bit(error.what()));
        return 1;
    }

    window.show();
    report("ready");
    const int code = app.exec();
    report("shutdown complete");
    return code;
}
