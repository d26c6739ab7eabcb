// SPDX-License-Identifier: MIT
#pragma once
// TTimerSpeedButton: a flat button that clicks on release over it and, when
// allowed, repeats while held: first after 400 ms, then every 100 ms.

#include "samples/common/handlerreport.h"
#include "repeattimer.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <memory>

namespace quorvane {

class TTimerSpeedButton : public QWidget {
    Q_OBJECT
public:
    /// Delay before the first repeated click, and between the later ones.
    static constexpr int kFirstRepeatMs = 400;
    static constexpr int kRepeatMs = 100;

    explicit TTimerSpeedButton(QWidget* parent = nullptr);
    ~TTimerSpeedButton() override;

    /// Whether a dotted focus rectangle is drawn on the face.
    bool FocusRect() const { return m_focusRect; }
    /// Shows or hides the focus rectangle.
    void SetFocusRect(bool on);
    /// Whether the button repeats while held.
    bool AllowTimer() const { return m_allowTimer; }
    void SetAllowTimer(bool on);

    /// The glyph drawn on the face (its lower-left colour is transparent).
    QImage Glyph() const { return m_glyph; }
    /// Replaces the glyph and repaints.
    void SetGlyph(const QImage& glyph);
    /// Number of images in the glyph; only 1 is drawn here.
    int NumGlyphs() const { return m_numGlyphs; }
    void SetNumGlyphs(int n) { m_numGlyphs = n; }

    /// Whether the face is drawn pressed (held with the pointer over it).
    bool IsDown() const { return m_down; }
    /// Whether the button holds the mouse (a left press not yet released).
    bool HasCapture() const { return m_dragging; }

    /// Clicks the button as a release over it would.
    void Click();
    /// A repeat tick: switches to the short interval and clicks while held.
    void TimerExpired();

    /// Replaces how the repeat timer is made; takes effect for a timer not yet made.
    void setTimerFactory(RepeatTimerFactory factory);
    /// Where an error thrown by a click from a repeat tick or a release goes
    /// (a message box by default); the button then goes on working.
    void setErrorReport(HandlerErrorReport report) { m_report = std::move(report); }

    /// The repeat timer, or null before the first press that may repeat.
    RepeatTimer* repeatTimer() const { return m_timer.get(); }

    QSize sizeHint() const override;

signals:
    /// A click: released over the button, or a repeat tick while held.
    void clicked();
    /// A mouse button went down over the button.
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void abandonPress();
    void setDown(bool down);
    void invalidate();
    void render();

    bool m_focusRect = false;
    bool m_allowTimer = false;
    bool m_down = false;
    bool m_dragging = false;
    bool m_dirty = true;
    int m_numGlyphs = 1;
    QImage m_glyph;
    QPixmap m_cache;
    RepeatTimerFactory m_timerFactory;
    HandlerErrorReport m_report = &showHandlerError;
    std::unique_ptr<RepeatTimer> m_timer;
};

} // namespace quorvane
