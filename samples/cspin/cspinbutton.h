// SPDX-License-Identifier: MIT
#pragma once
// TCSpinButton: two stacked auto-repeating arrow buttons that step a value up
// or down. The keyboard's arrow keys press them, the space key presses the
// focused one.

#include "samples/common/propertywrite.h"
#include "repeattimer.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace quorvane {

class TTimerSpeedButton;

class TCSpinButton : public QWidget {
    Q_OBJECT
    /// Glyph of the up button; a null image restores the built-in "SpinUp".
    Q_PROPERTY(QImage UpGlyph READ UpGlyph WRITE setUpGlyph)
    /// Glyph of the down button; a null image restores the built-in "SpinDown".
    Q_PROPERTY(QImage DownGlyph READ DownGlyph WRITE setDownGlyph)
    /// The control that receives the focus when a button is pressed (not owned).
    Q_PROPERTY(QWidget* FocusControl READ FocusControl WRITE setFocusControl)
    /// Whether the spin button takes the keyboard focus.
    Q_PROPERTY(bool TabStop READ TabStop WRITE setTabStop)
public:
    /// Makes a 20 x 25 spin button with the built-in arrow glyphs.
    explicit TCSpinButton(QWidget* parent = nullptr);

    /// The upper button (steps up).
    TTimerSpeedButton* UpButton() const { return m_upButton; }
    /// The lower button (steps down).
    TTimerSpeedButton* DownButton() const { return m_downButton; }
    /// The button that the space key presses and that shows the focus rectangle.
    TTimerSpeedButton* FocusedButton() const { return m_focusedButton; }

    /// Glyph of the up button.
    QImage UpGlyph() const;
    /// A null image restores the built-in "SpinUp" glyph.
    void SetUpGlyph(const QImage& glyph);
    /// Glyph of the down button.
    QImage DownGlyph() const;
    /// A null image restores the built-in "SpinDown" glyph.
    void SetDownGlyph(const QImage& glyph);

    /// The control that receives the focus when a button is pressed, or null.
    QWidget* FocusControl() const { return m_focusControl; }
    /// Sets the control to focus on presses; not owned.
    void SetFocusControl(QWidget* control) { m_focusControl = control; }

    /// Whether the spin button takes the keyboard focus (default false).
    bool TabStop() const;
    /// Lets the spin button take the keyboard focus or not.
    void SetTabStop(bool on);

    /// Qt-style setters (set + the property name, as uic calls them) behind the
    /// properties: the Set operations, but a refused value is reported, not thrown.
    void setUpGlyph(const QImage& glyph);
    void setDownGlyph(const QImage& glyph);
    void setFocusControl(QWidget* control);
    void setTabStop(bool on);

    /// Moves the focus rectangle to another of the two buttons.
    void SetFocusBtn(TTimerSpeedButton* button);

    /// Applies the size rule and moves the spin button.
    void SetBounds(int left, int top, int width, int height);
    /// Re-applies the size rule after loading, re-placing itself when it changed.
    void Loaded();

    /// Passes a timer factory on to both buttons (tests drive the repeat timing).
    void setTimerFactory(const RepeatTimerFactory& factory);

    /// Where an error thrown by an OnUpClick or OnDownClick handler goes when
    /// a key, a repeat tick or a release clicked (a message box by default).
    /// It also takes the values refused through the property system.
    Q_INVOKABLE void setErrorReport(const quorvane::HandlerErrorReport& report);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    /// The up button was clicked.
    void OnUpClick(quorvane::TCSpinButton* sender);
    /// The down button was clicked.
    void OnDownClick(quorvane::TCSpinButton* sender);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void BtnMouseDown(TTimerSpeedButton* sender, Qt::MouseButton button);
    void BtnClick(TTimerSpeedButton* sender);
    bool canFocus() const;
    bool applySizeRule();

    TTimerSpeedButton* m_upButton = nullptr;
    TTimerSpeedButton* m_downButton = nullptr;
    TTimerSpeedButton* m_focusedButton = nullptr;
    QPointer<QWidget> m_focusControl;
    HandlerErrorReport m_report = &showHandlerError;
};

} // namespace quorvane
