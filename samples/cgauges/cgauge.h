// SPDX-License-Identifier: MIT
#pragma once
// TCGauge: shows how far a quantity has progressed between a minimum and a
// maximum, as a whole percentage, in one of five forms.

#include "gaugepicture.h"
#include "samples/common/propertywrite.h"

#include <QWidget>

namespace quorvane {

class TCGauge : public QWidget {
    Q_OBJECT
    /// Text only, horizontal bar, vertical bar, pie or half-dial with needle.
    Q_PROPERTY(quorvane::cgauges::TCGaugeKind Kind READ GetKind WRITE setKind)
    /// Whether the percentage is written over the form.
    Q_PROPERTY(bool ShowText READ GetShowText WRITE setShowText)
    /// bsSingle leaves a one-pixel black frame round the form.
    Q_PROPERTY(quorvane::cgauges::TBorderStyle BorderStyle READ GetBorderStyle WRITE setBorderStyle)
    /// Colour of the filled part, the outlines and the needle.
    Q_PROPERTY(QColor ForeColor READ GetForeColor WRITE setForeColor)
    /// Colour of the unfilled part.
    Q_PROPERTY(QColor BackColor READ GetBackColor WRITE setBackColor)
    /// Surround of the pie and needle forms; follows the palette until set.
    Q_PROPERTY(QColor Color READ GetColor WRITE setColor)
    /// Lower bound, at most MaxValue.
    Q_PROPERTY(int MinValue READ GetMinValue WRITE setMinValue)
    /// Upper bound, at least MinValue.
    Q_PROPERTY(int MaxValue READ GetMaxValue WRITE setMaxValue)
    /// Current value, clamped into MinValue .. MaxValue.
    Q_PROPERTY(int Progress READ GetProgress WRITE setProgress)
    /// Whole percentage of Progress between MinValue and MaxValue.
    Q_PROPERTY(int PercentDone READ GetPercentDone)
public:
    /// A 100 x 100 bordered horizontal bar at 0 of 0 .. 100.
    explicit TCGauge(QWidget* parent = nullptr);

    /// Text only, horizontal bar, vertical bar, pie or half-dial with needle.
    TCGaugeKind GetKind() const { return m_look.kind; }
    void SetKind(TCGaugeKind kind);
    /// Whether the percentage is written over the form.
    bool GetShowText() const { return m_look.showText; }
    void SetShowText(bool show);
    /// bsSingle leaves a one-pixel black frame round the form.
    TBorderStyle GetBorderStyle() const { return m_look.borderStyle; }
    void SetBorderStyle(TBorderStyle style);
    /// Colour of the filled part, the outlines and the needle.
    QColor GetForeColor() const { return m_look.foreColor; }
    void SetForeColor(const QColor& color);
    /// Colour of the unfilled part.
    QColor GetBackColor() const { return m_look.backColor; }
    void SetBackColor(const QColor& color);
    /// Surround of the pie and needle forms: the palette's window colour (and
    /// its changes) until a colour is set; an invalid colour follows the palette again.
    QColor GetColor() const { return m_look.color; }
    void SetColor(const QColor& color);
    /// Lower bound; throws GaugeRangeError above MaxValue, raises Progress to it.
    std::int32_t GetMinValue() const { return m_range.GetMinValue(); }
    void SetMinValue(std::int32_t value);
    /// Upper bound; throws GaugeRangeError below MinValue, lowers Progress to it.
    std::int32_t GetMaxValue() const { return m_range.GetMaxValue(); }
    void SetMaxValue(std::int32_t value);
    /// Current value, clamped into MinValue .. MaxValue.
    std::int32_t GetProgress() const { return m_range.GetProgress(); }
    void SetProgress(std::int32_t value);
    /// Adds amount to Progress (clamped) and repaints.
    void AddProgress(std::int32_t amount);
    /// Whole percentage of Progress between MinValue and MaxValue.
    int GetPercentDone() const { return m_range.GetPercentDone(); }

    /// Qt-style setters (set + the property name, as uic calls them) behind the
    /// properties: the Set operations, but a refused value is reported, not thrown.
    void setKind(TCGaugeKind kind);
    void setShowText(bool show);
    void setBorderStyle(TBorderStyle style);
    void setForeColor(const QColor& color);
    void setBackColor(const QColor& color);
    void setColor(const QColor& color);
    void setMinValue(int value);
    void setMaxValue(int value);
    void setProgress(int value);
    /// Where a value refused through the property system goes (a message box by default).
    Q_INVOKABLE void setErrorReport(const quorvane::HandlerErrorReport& report) { m_report = report; }

    /// The finished picture painting copies, in device pixels.
    const QImage& picture() const { return m_picture; }
    /// How often the picture has been rebuilt; lets callers see that an
    /// unchanged percentage costs no repaint.
    int pictureBuilds() const { return m_builds; }

    QSize sizeHint() const override { return {100, 100}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuild();
    void render();
    void followPalette();

    GaugeLook m_look;
    GaugeRange m_range;
    QImage m_picture;
    int m_builds = 0;
    bool m_colorSet = false;
    HandlerErrorReport m_report = &showHandlerError;
};

} // namespace quorvane
