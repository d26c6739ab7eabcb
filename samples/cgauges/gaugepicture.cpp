// SPDX-License-Identifier: MIT
#include "gaugepicture.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace quorvane {

namespace {

const QColor kWindowFrame(0, 0, 0);

QRect toQRect(const GaugeRect& r)
{
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Outline rectangle for QPainter, whose 1-pixel outline covers one pixel more
// than the box it is given; box edges are exclusive.
QRect outlineBox(int left, int top, int right, int bottom)
{
    return {left, top, right - left - 1, bottom - top - 1};
}

// Angle (degrees, counter-clockwise from 3 o'clock) of the point of the
// ellipse inside box that lies on the ray from the centre through p; Qt takes
// the ellipse's parametric angle, so the ray is scaled onto the unit circle.
double rayAngle(const QRect& box, GaugePoint p)
{
    const double cx = box.left() + (box.width() + 1) / 2.0;
    const double cy = box.top() + (box.height() + 1) / 2.0;
    const double a = std::max((box.width() + 1) / 2.0, 0.5);
    const double b = std::max((box.height() + 1) / 2.0, 0.5);
    return std::atan2(-(p.y - cy) / b, (p.x - cx) / a) * 180.0 / 3.14159265358979323846;
}

// Pie running counter-clockwise from the ray through from to the ray through
// to; identical rays make the full ellipse, as the window system does.
void drawPie(QPainter& painter, const QRect& box, GaugePoint from, GaugePoint to)
{
    const double start = rayAngle(box, from);
    double span = rayAngle(box, to) - start;
    while (span <= 0.0)
        span += 360.0;
    if (span >= 360.0 - 1e-9 || (from == to)) {
        painter.drawEllipse(box);
        return;
    }
    painter.drawPie(box, static_cast<int>(std::lround(start * 16)), static_cast<int>(std::lround(span * 16)));
}

void drawForm(QPainter& painter, const GaugeLook& look, const GaugeRect& area, int controlWidth,
              int percent)
{
    const bool bordered = look.borderStyle == bsSingle;
    painter.setPen(QPen(look.foreColor, 1));
    switch (look.kind) {
    case gkText:
        painter.fillRect(toQRect(area), look.backColor);
        break;
    case gkHorizontalBar:
    case gkVerticalBar: {
        painter.fillRect(toQRect(area), look.backColor);
        const GaugeRect bar = look.kind == gkHorizontalBar ? horizontalBar(area, percent)
                                                           : verticalBar(area, percent);
        if (bar.right > bar.left && bar.bottom > bar.top)
            painter.fillRect(toQRect(bar), look.foreColor);
        break;
    }
    case gkPie: {
        const GaugeExtent e = roundExtent(area, bordered);
        painter.fillRect(toQRect(area), look.color);
        painter.setBrush(look.backColor);
        const QRect box = outlineBox(area.left, area.top, e.w, e.h);
        painter.drawEllipse(box);
        if (percent > 0) {
            painter.setBrush(look.foreColor);
            drawPie(painter, box, pieStart(e, percent), GaugePoint{e.w / 2, 0});
        }
        break;
    }
    case gkNeedle: {
        const GaugeExtent e = roundExtent(area, bordered);
        painter.fillRect(toQRect(area), look.color);
        painter.setBrush(look.backColor);
        const QRect box = outlineBox(area.left, area.top, e.w, 2 * e.h - 1);
        drawPie(painter, box, GaugePoint{area.left + e.w, area.bottom - 1},
                GaugePoint{area.left, area.bottom - 1});
        painter.drawLine(area.left, area.bottom, area.left + e.w - 1, area.bottom);
        if (percent > 0) {
            const GaugePoint foot = needleFoot(controlWidth, area);
            const GaugePoint tip = needleTip(controlWidth, area, percent);
            painter.drawLine(foot.x, foot.y, tip.x, tip.y);
        }
        break;
    }
    }
}

void xorInto(QImage& image, const QImage& overlay)
{
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawImage(0, 0, overlay);
}

} // namespace

void TBltBitmap::MakeLike(const QImage& other)
{
    QImage::operator=(QImage(other.size(), QImage::Format_RGB32));
    setDevicePixelRatio(other.devicePixelRatio());
    fill(kWindowFrame);
}

QImage renderGauge(const GaugeLook& look, int width, int height, int percent, qreal ratio)
{
    if (width <= 0 || height <= 0)
        return {};
    // The geometry stays in control pixels; the painter scales it onto an
    // image with as many pixels as the screen shows, so nothing is blown up.
    QImage image(static_cast<int>(std::ceil(width * ratio)), static_cast<int>(std::ceil(height * ratio)),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    // Black shows as the frame round the form when bordered.
    image.fill(kWindowFrame);
    const GaugeRect area = paintRectFor(width, height, look.borderStyle == bsSingle);
    {
        QPainter painter(&image);
        drawForm(painter, look, area, width, percent);
    }

    if (look.showText) {
        // Black, so that only the glyphs change the picture.
        TBltBitmap text;
        text.MakeLike(image);
        {
            QPainter painter(&text);
            QFont font = look.font;
            // Hard-edged glyphs: a smoothed edge would exclusive-or into
            // colour fringes instead of a clean inverse.
            font.setStyleStrategy(QFont::NoAntialias);
            painter.setFont(font);
            painter.setPen(Qt::white);
            painter.setBrush(Qt::NoBrush);
            painter.setClipRect(toQRect(area));
            const QString label = QString::number(percent) + QLatin1Char('%');
            const QFontMetrics metrics(font);
            const GaugePoint at = textOrigin(area, metrics.horizontalAdvance(label), metrics.height());
            painter.drawText(at.x, at.y + metrics.ascent(), label);
        }
        // White text over the picture shows as its inverse: it changes colour
        // where the bar ends.
        xorInto(image, text);
    }
    return image;
}

} // namespace quorvane
