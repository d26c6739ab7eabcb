// SPDX-License-Identifier: MIT
#pragma once
// Renders a gauge into an image in one go, off screen, so the widget only
// ever copies a finished picture and never flickers.

#include "gaugemodel.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>

namespace quorvane {

// A namespace of its own so the enumerations are known to Qt's meta-object
// system (properties, Designer).
namespace cgauges {
Q_NAMESPACE
/// The five forms of the gauge.
enum TCGaugeKind { gkText = 0, gkHorizontalBar = 1, gkVerticalBar = 2, gkPie = 3, gkNeedle = 4 };
Q_ENUM_NS(TCGaugeKind)
/// No border or a one-pixel black frame.
enum TBorderStyle { bsNone = 0, bsSingle = 1 };
Q_ENUM_NS(TBorderStyle)
} // namespace cgauges
using cgauges::TCGaugeKind;
using cgauges::gkText;
using cgauges::gkHorizontalBar;
using cgauges::gkVerticalBar;
using cgauges::gkPie;
using cgauges::gkNeedle;
using cgauges::TBorderStyle;
using cgauges::bsNone;
using cgauges::bsSingle;

/// An image that can be made like another: same size and pixel ratio, filled
/// with the window-frame colour.
class TBltBitmap : public QImage {
public:
    void MakeLike(const QImage& other);
};

/// Everything about the gauge's look apart from its range.
struct GaugeLook {
    TCGaugeKind kind = gkHorizontalBar;
    bool showText = true;
    TBorderStyle borderStyle = bsSingle;
    QColor foreColor{0, 0, 0};
    QColor backColor{255, 255, 255};
    QColor color{240, 240, 240};
    QFont font;
};

/// The whole picture of a gauge of the given size (in control pixels)
/// showing percent, drawn at `ratio` device pixels per control pixel.
QImage renderGauge(const GaugeLook& look, int width, int height, int percent, qreal ratio = 1.0);

} // namespace quorvane
