// SPDX-License-Identifier: MIT
#pragma once
// Plain rules of the spin edit and spin button: range check, text to value,
// the typing filter, the size rules and the built-in arrow glyphs.

#include <QChar>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

namespace quorvane::spin {

/// Clamps v to [minValue, maxValue]; equal bounds mean "no range". The lower
/// bound is tested first, so with min > max anything below min becomes min.
std::int32_t CheckValue(std::int32_t v, std::int32_t minValue, std::int32_t maxValue);

/// The text read as a plain decimal 32-bit integer (optional sign, digits,
/// surrounding blanks allowed); nothing when it is not one.
std::optional<std::int32_t> parseValue(const QString& text);

/// Decimal text of a value: minus sign when negative, no plus, no grouping.
QString formatValue(std::int32_t v);

/// Steps v by delta without wrapping around at the 32-bit limits.
std::int32_t addSaturated(std::int32_t v, std::int64_t delta);

/// The typing filter. Passes the decimal separator, "+", "-", digits and
/// control characters other than carriage return. With the editor disabled,
/// only the control characters other than backspace still pass.
bool IsValidChar(QChar c, QChar decimalSeparator, bool editorEnabled);

/// Result of the spin button's size rule.
struct SpinButtonLayout {
    QSize size;     ///< the size the spin button takes
    QRect upRect;   ///< the up button within the spin button
    QRect downRect; ///< the down button, overlapping the up button by one row
};

/// Size rule: width at least 15; the up button takes the upper half (integer
/// division) and the down button starts one row above its lower edge.
SpinButtonLayout spinButtonLayout(QSize requested);

/// Minimum height of the spin edit: h + min(hs, h) / 4 + 4 * border + 2, where
/// h is the edit font's character height and hs that of the system font.
int minimumEditHeight(int fontHeight, int systemFontHeight, int borderLine);

/// Where the spin button sits inside a spin edit of the given size: at the
/// right edge, inside the frame.
QRect spinButtonPlacement(QSize editSize, int buttonWidth, int frame);

/// Built-in 9 x 6 arrow glyphs: a black triangle of runs 1, 3, 5, 7 on an
/// olive background (128, 128, 0), upward or downward.
QImage builtInGlyph(bool up);

/// The glyph's olive background made transparent, as the button draws it.
QImage transparentGlyph(const QImage& glyph);

} // namespace quorvane::spin
