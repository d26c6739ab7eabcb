#pragma once
// One application object for the whole test program; widgets need it and
// QPainter on images needs the font database it brings.

#include <QApplication>

inline void ensureApp()
{
    static int argc = 1;
    static char name[] = "quorvane_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}
