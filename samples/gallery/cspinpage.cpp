#include "pages.h"

#include <QLabel>

QWidget* makeSpinPage(QWidget* parent)
{
    return new QLabel(QStringLiteral("Not built yet"), parent);
}
