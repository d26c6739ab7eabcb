#include "pages.h"

#include <QLabel>

QWidget* makeDirectoryOutlinePage(QWidget* parent)
{
    return new QLabel(QStringLiteral("Not built yet"), parent);
}
