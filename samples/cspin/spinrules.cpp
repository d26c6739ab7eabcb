// SPDX-License-Identifier: MIT
#include "spinrules.h"

#include <algorithm>
#include <limits>

namespace quorvane::spin {

std::int32_t CheckValue(std::int32_t v, std::int32_t minValue, std::int32_t maxValue)
{
    if (maxValue == minValue)
        return v;
    if (v < minValue)
        return minValue;
    if (v > maxValue)
        return maxValue;
    return v;
}

std::optional<std::int32_t> parseValue(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    int pos = 0;
    bool negative = false;
    if (t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-')) {
        negative = t[0] == QLatin1Char('-');
        pos = 1;
    }
    if (pos >= t.size())
        return std::nullopt;
    // Accumulate in 64 bits so that an overlong number is refused rather than wrapped.
    std::int64_t magnitude = 0;
    for (; pos < t.size(); ++pos) {
        const QChar c = t[pos];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        magnitude = magnitude * 10 + (c.unicode() - '0');
        if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
            return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

QString formatValue(std::int32_t v)
{
    return QString::number(v);
}

std::int32_t addSaturated(std::int32_t v, std::int64_t delta)
{
    const std::int64_t sum = v + delta;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

namespace {

constexpr char16_t kBackspace = 8;
constexpr char16_t kCarriageReturn = 13;

bool isLowRange(QChar c)
{
    return c.unicode() < 32;
}

} // namespace

bool IsValidChar(QChar c, QChar decimalSeparator, bool editorEnabled)
{
    const bool passes = c == decimalSeparator || c == QLatin1Char('+') || c == QLatin1Char('-')
        || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        || (isLowRange(c) && c.unicode() != kCarriageReturn);
    if (!passes)
        return false;
    if (!editorEnabled
        && (!isLowRange(c) || c.unicode() == kBackspace || c == QLatin1Char('.')))
        return false;
    return true;
}

SpinButtonLayout spinButtonLayout(QSize requested)
{
    SpinButtonLayout layout;
    const int width = std::max(requested.width(), 15);
    const int height = requested.height();
    layout.size = QSize(width, height);
    const int upHeight = height / 2;
    layout.upRect = QRect(0, 0, width, upHeight);
    layout.downRect = QRect(0, upHeight - 1, width, height - upHeight + 1);
    return layout;
}

int minimumEditHeight(int fontHeight, int systemFontHeight, int borderLine)
{
    return fontHeight + std::min(systemFontHeight, fontHeight) / 4 + 4 * borderLine + 2;
}

QRect spinButtonPlacement(QSize editSize, int buttonWidth, int frame)
{
    // One pixel of air between the button and the frame, as the framed look wants.
    return QRect(editSize.width() - buttonWidth - frame - 1, frame, buttonWidth,
                 std::max(0, editSize.height() - 2 * frame - 1));
}

QImage builtInGlyph(bool up)
{
    QImage glyph(9, 6, QImage::Format_RGB32);
    glyph.fill(QColor(128, 128, 0));
    // Rows 1 to 4 hold the runs 1, 3, 5, 7 centred in 9 columns.
    for (int i = 0; i < 4; ++i) {
        const int run = 2 * i + 1;
        const int row = up ? 1 + i : 4 - i;
        const int first = (9 - run) / 2;
        for (int x = first; x < first + run; ++x)
            glyph.setPixelColor(x, row, Qt::black);
    }
    return glyph;
}

QImage transparentGlyph(const QImage& glyph)
{
    QImage out = glyph.convertToFormat(QImage::Format_ARGB32);
    if (out.isNull())
        return out;
    // The lower-left pixel names the transparent colour, as bitmap glyphs do.
    const QRgb key = out.pixel(0, out.height() - 1);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (out.pixel(x, y) == key)
                out.setPixel(x, y, qRgba(0, 0, 0, 0));
    return out;
}

} // namespace quorvane::spin
