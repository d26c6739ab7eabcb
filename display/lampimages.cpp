// SPDX-License-Identifier: MIT
#include "lampimages.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace quorvane {

namespace {

constexpr int logicalSize = 16;

struct LampColours {
    QColor light;
    QColor base;
    QColor dark;
    QColor rim;
};

void drawLamp(QPainter& painter, const LampColours& colours)
{
    const QPointF centre(8.0, 8.0);
    const qreal radius = 6.5;

    // Body: lit from the upper left, darker towards the rim, like a glass bulb.
    QRadialGradient body(QPointF(6.0, 5.5), radius * 1.35, QPointF(5.5, 5.0));
    body.setColorAt(0.0, colours.light);
    body.setColorAt(0.45, colours.base);
    body.setColorAt(1.0, colours.dark);
    painter.setPen(QPen(colours.rim, 1.0));
    painter.setBrush(body);
    painter.drawEllipse(centre, radius, radius);

    // Specular spot.
    QRadialGradient spot(QPointF(5.8, 5.2), 2.6);
    spot.setColorAt(0.0, QColor(255, 255, 255, 220));
    spot.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(spot);
    painter.drawEllipse(QPointF(5.8, 5.2), 2.6, 2.2);
}

// An arrow pointing up; the down arrow is the same shape turned over.
QPainterPath upArrowPath()
{
    QPainterPath path;
    path.moveTo(8.0, 0.5);
    path.lineTo(15.0, 8.0);
    path.lineTo(10.5, 8.0);
    path.lineTo(10.5, 15.5);
    path.lineTo(5.5, 15.5);
    path.lineTo(5.5, 8.0);
    path.lineTo(1.0, 8.0);
    path.closeSubpath();
    return path;
}

void drawArrow(QPainter& painter, bool up, const QColor& light, const QColor& base, const QColor& rim)
{
    painter.save();
    if (!up) {
        painter.translate(0.0, logicalSize);
        painter.scale(1.0, -1.0);
    }
    QLinearGradient shade(QPointF(1.0, 0.0), QPointF(15.0, 0.0));
    shade.setColorAt(0.0, light);
    shade.setColorAt(0.55, base);
    shade.setColorAt(1.0, base.darker(130));
    painter.setPen(QPen(rim, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(shade);
    painter.drawPath(upArrowPath());
    painter.restore();
}

using Drawer = void (*)(QPainter&);

void whiteLamp(QPainter& p) { drawLamp(p, {QColor(255, 255, 255), QColor(236, 236, 236), QColor(170, 170, 170), QColor(110, 110, 110)}); }
void greenLamp(QPainter& p) { drawLamp(p, {QColor(180, 255, 180), QColor(0, 200, 0), QColor(0, 100, 0), QColor(0, 70, 0)}); }
void redLamp(QPainter& p) { drawLamp(p, {QColor(255, 190, 190), QColor(230, 0, 0), QColor(120, 0, 0), QColor(90, 0, 0)}); }
void downArrow(QPainter& p) { drawArrow(p, false, QColor(225, 170, 255), QColor(148, 0, 211), QColor(75, 0, 110)); }
void upArrow(QPainter& p) { drawArrow(p, true, QColor(170, 255, 170), QColor(0, 170, 0), QColor(0, 80, 0)); }

QIcon render(Drawer draw)
{
    QIcon icon;
    for (const int ratio : {1, 2, 3}) {
        QImage image(logicalSize * ratio, logicalSize * ratio, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        image.setDevicePixelRatio(ratio);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace

std::vector<QIcon> makeLampImages()
{
    return {render(whiteLamp), render(greenLamp), render(redLamp), render(downArrow), render(upArrow)};
}

} // namespace quorvane
