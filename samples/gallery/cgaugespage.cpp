#include "pages.h"

#include <QLabel>

QWidget* makeGaugePage(QWidget* parent)
{
    return new QLabel(QStringLiteral("Not built yet"), parent);
}
