// SPDX-License-Identifier: MIT
#include "componenticons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace quorvane::designer {

namespace {

constexpr int kSize = 22;

// The icon at 1x and 2x; `draw` paints on a 22 x 22 canvas.
QIcon drawnIcon(const std::function<void(QPainter&)>& draw)
{
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap(QSize(kSize, kSize) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void frame(QPainter& p, const QRectF& r, const QColor& fill)
{
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(fill);
    p.drawRect(r);
}

} // namespace

QIcon performanceGraphIcon()
{
    return drawnIcon([](QPainter& p) {
        frame(p, QRectF(1.5, 3.5, 19, 15), Qt::black);
        p.setPen(QPen(QColor(0, 128, 0), 1));
        for (int x = 6; x < 20; x += 5)
            p.drawLine(QPointF(x + 0.5, 4), QPointF(x + 0.5, 18));
        p.setPen(QPen(QColor(80, 255, 80), 1.5));
        const QPointF points[] = {{2, 15}, {6, 12}, {9, 14}, {13, 7}, {16, 9}, {20, 5}};
        p.drawPolyline(points, 6);
    });
}

QIcon gaugeIcon()
{
    return drawnIcon([](QPainter& p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        const QRectF box(2, 2, 18, 18);
        p.drawEllipse(box);
        p.setBrush(QColor(0, 0, 160));
        p.drawPie(box, 90 * 16, -130 * 16);
    });
}

QIcon spinEditIcon()
{
    return drawnIcon([](QPainter& p) {
        frame(p, QRectF(1.5, 5.5, 19, 11), Qt::white);
        p.setPen(Qt::black);
        QFont font = p.font();
        font.setPixelSize(8);
        p.setFont(font);
        p.drawText(QRectF(3, 6, 10, 10), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("42"));
        frame(p, QRectF(14.5, 6.5, 5, 9), QColor(210, 210, 210));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygonF({{15.5, 10.5}, {18.5, 10.5}, {17, 8}}));
        p.drawPolygon(QPolygonF({{15.5, 11.5}, {18.5, 11.5}, {17, 14}}));
    });
}

QIcon spinButtonIcon()
{
    return drawnIcon([](QPainter& p) {
        frame(p, QRectF(6.5, 1.5, 9, 9.5), QColor(210, 210, 210));
        frame(p, QRectF(6.5, 11, 9, 9.5), QColor(210, 210, 210));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygonF({{8, 8.5}, {14, 8.5}, {11, 4}}));
        p.drawPolygon(QPolygonF({{8, 13.5}, {14, 13.5}, {11, 18}}));
    });
}

QIcon calendarIcon()
{
    return drawnIcon([](QPainter& p) {
        frame(p, QRectF(1.5, 2.5, 19, 17), Qt::white);
        p.fillRect(QRectF(2, 3, 18, 4), QColor(0, 0, 160));
        p.setPen(QPen(QColor(150, 150, 150), 1));
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 4; ++col)
                p.drawPoint(QPointF(4.5 + col * 4.5, 10 + row * 3.5));
        p.fillRect(QRectF(12.5, 12, 3, 3), QColor(0, 0, 160));
    });
}

QIcon directoryOutlineIcon()
{
    return drawnIcon([](QPainter& p) {
        const QColor folder(240, 200, 60);
        auto drawFolder = [&](qreal x, qreal y) {
            frame(p, QRectF(x + 0.5, y + 0.5, 8, 5), folder);
        };
        drawFolder(1, 2);
        drawFolder(9, 9);
        drawFolder(9, 15);
        p.setPen(QPen(QColor(90, 90, 90), 1, Qt::DotLine));
        p.drawLine(QPointF(4.5, 8), QPointF(4.5, 18));
        p.drawLine(QPointF(4.5, 11.5), QPointF(9, 11.5));
        p.drawLine(QPointF(4.5, 18), QPointF(9, 18));
    });
}

} // namespace quorvane::designer
