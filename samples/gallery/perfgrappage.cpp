#include "pages.h"

#include <QLabel>

QWidget* makePerformanceGraphPage(QWidget* parent)
{
    return new QLabel(QStringLiteral("Not built yet"), parent);
}
