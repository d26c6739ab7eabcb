// SPDX-License-Identifier: MIT
#include "cspinbutton.h"

#include "spinrules.h"
#include "timerspeedbutton.h"

#include <QKeyEvent>

namespace quorvane {

namespace {

void setGlyphOrBuiltIn(TTimerSpeedButton* button, const QImage& glyph, bool up)
{
    button->SetGlyph(glyph.isNull() ? spin::builtInGlyph(up) : glyph);
    if (glyph.isNull())
        button->SetNumGlyphs(1);
}

} // namespace

TCSpinButton::TCSpinButton(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    // Opaque: the two buttons cover the whole area.
    setAttribute(Qt::WA_OpaquePaintEvent);
    auto makeButton = [this] {
        auto* button = new TTimerSpeedButton(this);
        button->SetAllowTimer(true);
        button->SetNumGlyphs(1);
        connect(button, &TTimerSpeedButton::clicked, this, [this, button] { BtnClick(button); });
        connect(button, &TTimerSpeedButton::mouseDown, this,
                [this, button](Qt::MouseButton which, Qt::KeyboardModifiers, QPoint) {
                    BtnMouseDown(button, which);
                });
        button->show();
        return button;
    };
    m_upButton = makeButton();
    m_downButton = makeButton();
    m_focusedButton = m_upButton;
    SetUpGlyph(QImage());
    SetDownGlyph(QImage());
    resize(20, 25);
    applySizeRule();
}

QImage TCSpinButton::UpGlyph() const
{
    return m_upButton->Glyph();
}

void TCSpinButton::SetUpGlyph(const QImage& glyph)
{
    setGlyphOrBuiltIn(m_upButton, glyph, true);
}

QImage TCSpinButton::DownGlyph() const
{
    return m_downButton->Glyph();
}

void TCSpinButton::SetDownGlyph(const QImage& glyph)
{
    setGlyphOrBuiltIn(m_downButton, glyph, false);
}

bool TCSpinButton::TabStop() const
{
    return focusPolicy() != Qt::NoFocus;
}

void TCSpinButton::SetTabStop(bool on)
{
    setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

bool TCSpinButton::canFocus() const
{
    return isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus;
}

void TCSpinButton::SetFocusBtn(TTimerSpeedButton* button)
{
    if (!TabStop() || !canFocus() || button == m_focusedButton || button == nullptr)
        return;
    m_focusedButton->SetFocusRect(false);
    m_focusedButton = button;
    if (hasFocus())
        m_focusedButton->SetFocusRect(true);
}

void TCSpinButton::BtnMouseDown(TTimerSpeedButton* sender, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    SetFocusBtn(sender);
    QWidget* control = m_focusControl;
    if (control && (control->focusPolicy() & Qt::TabFocus) && control->isEnabled()
        && control->isVisible() && !control->hasFocus()) {
        control->setFocus(Qt::MouseFocusReason);
    } else if (TabStop() && !hasFocus() && canFocus()) {
        setFocus(Qt::MouseFocusReason);
    }
}

void TCSpinButton::BtnClick(TTimerSpeedButton* sender)
{
    if (sender == m_upButton)
        emit OnUpClick(this);
    else if (sender == m_downButton)
        emit OnDownClick(this);
}

void TCSpinButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        SetFocusBtn(m_upButton);
        runReported(m_report, [this] { m_upButton->Click(); });
        break;
    case Qt::Key_Down:
        SetFocusBtn(m_downButton);
        runReported(m_report, [this] { m_downButton->Click(); });
        break;
    case Qt::Key_Space:
        runReported(m_report, [this] { m_focusedButton->Click(); });
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool TCSpinButton::event(QEvent* event)
{
    // The arrow keys belong to the spin button, not to focus navigation.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void TCSpinButton::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_focusedButton->SetFocusRect(true);
}

void TCSpinButton::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_focusedButton->SetFocusRect(false);
}

bool TCSpinButton::applySizeRule()
{
    const spin::SpinButtonLayout layout = spin::spinButtonLayout(size());
    m_upButton->setGeometry(layout.upRect);
    m_downButton->setGeometry(layout.downRect);
    // The down button is drawn last so the shared row shows its upper edge.
    m_downButton->raise();
    return layout.size != size();
}

void TCSpinButton::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (applySizeRule())
        resize(spin::spinButtonLayout(size()).size);
}

void TCSpinButton::SetBounds(int left, int top, int width, int height)
{
    const QSize size = spin::spinButtonLayout(QSize(width, height)).size;
    setGeometry(left, top, size.width(), size.height());
    // A hidden widget gets its resize event only when shown; place the buttons now.
    applySizeRule();
}

void TCSpinButton::Loaded()
{
    const QSize size = spin::spinButtonLayout(this->size()).size;
    if (size != this->size())
        setGeometry(x(), y(), size.width(), size.height());
    applySizeRule();
}

void TCSpinButton::setErrorReport(const HandlerErrorReport& report)
{
    m_report = report;
    m_upButton->setErrorReport(report);
    m_downButton->setErrorReport(report);
}

void TCSpinButton::setTimerFactory(const RepeatTimerFactory& factory)
{
    m_upButton->setTimerFactory(factory);
    m_downButton->setTimerFactory(factory);
}

QSize TCSpinButton::sizeHint() const
{
    return QSize(20, 25);
}

QSize TCSpinButton::minimumSizeHint() const
{
    return QSize(15, 4);
}

void TCSpinButton::setUpGlyph(const QImage& glyph)
{
    writeProperty(m_report, this, &TCSpinButton::SetUpGlyph, glyph);
}

void TCSpinButton::setDownGlyph(const QImage& glyph)
{
    writeProperty(m_report, this, &TCSpinButton::SetDownGlyph, glyph);
}

void TCSpinButton::setFocusControl(QWidget* control)
{
    writeProperty(m_report, this, &TCSpinButton::SetFocusControl, control);
}

void TCSpinButton::setTabStop(bool on)
{
    writeProperty(m_report, this, &TCSpinButton::SetTabStop, on);
}

} // namespace quorvane
