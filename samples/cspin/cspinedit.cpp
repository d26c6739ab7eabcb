// SPDX-License-Identifier: MIT
#include "cspinedit.h"

#include "cspinbutton.h"
#include "spinrules.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>

#include <algorithm>
#include <memory>

namespace quorvane {

namespace {

constexpr int kFrame = 2;
constexpr int kBorderLine = 1;

} // namespace

TCSpinEdit::TCSpinEdit(QWidget* parent)
    : QLineEdit(parent)
{
    m_button = new TCSpinButton(this);
    m_button->SetBounds(0, 0, 15, 17);
    m_button->SetFocusControl(this);
    m_button->setCursor(Qt::ArrowCursor);
    connect(m_button, &TCSpinButton::OnUpClick, this, [this](TCSpinButton* s) { UpClick(s); });
    connect(m_button, &TCSpinButton::OnDownClick, this, [this](TCSpinButton* s) { DownClick(s); });
    setText(QStringLiteral("0"));
    setFocusPolicy(Qt::StrongFocus);
    placeButton();
}

void TCSpinEdit::SetEditorEnabled(bool on)
{
    if (m_editorEnabled == on)
        return;
    m_editorEnabled = on;
    setAcceptDrops(on);
}

std::int32_t TCSpinEdit::CheckValue(std::int32_t value) const
{
    return spin::CheckValue(value, m_minValue, m_maxValue);
}

std::int32_t TCSpinEdit::GetValue()
{
    if (const auto value = spin::parseValue(text()))
        return *value;
    setText(spin::formatValue(m_minValue));
    return m_minValue;
}

void TCSpinEdit::SetValue(std::int32_t value)
{
    const QString newText = spin::formatValue(CheckValue(value));
    if (newText != text())
        setText(newText);
}

bool TCSpinEdit::IsValidChar(QChar c) const
{
    const QString separator = locale().decimalPoint();
    const QChar decimal = separator.isEmpty() ? QLatin1Char('.') : separator.at(0);
    return spin::IsValidChar(c, decimal, m_editorEnabled);
}

void TCSpinEdit::UpClick(QObject*)
{
    step(m_increment);
}

void TCSpinEdit::DownClick(QObject*)
{
    step(-std::int64_t{m_increment});
}

void TCSpinEdit::step(std::int64_t delta)
{
    if (isReadOnly())
        beep();
    else
        SetValue(spin::addSaturated(GetValue(), delta));
}

void TCSpinEdit::Cut()
{
    if (canModify())
        cut();
}

void TCSpinEdit::Paste()
{
    if (canModify())
        paste();
}

void TCSpinEdit::setErrorReport(const HandlerErrorReport& report)
{
    m_report = report;
    m_button->setErrorReport(report);
}

void TCSpinEdit::beep()
{
    QApplication::beep();
    emit beeped();
}

void TCSpinEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        runReported(m_report, [this, up = event->key() == Qt::Key_Up] {
            if (up)
                UpClick(this);
            else
                DownClick(this);
        });
        event->accept();
        return;
    }

    if (event->matches(QKeySequence::Cut)) {
        Cut();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        Paste();
        event->accept();
        return;
    }

    // Keys that produce text go through the filter, every UTF-16 unit of it
    // (an emoji is two, an input method may send several characters at once);
    // backspace and delete count as editing characters too.
    QString typed;
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        typed = QChar(8); // delete edits like backspace: allowed exactly when backspace is
    else if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        typed = event->text();
    const bool refused = std::any_of(typed.cbegin(), typed.cend(), [this](QChar c) { return !IsValidChar(c); });
    if (refused && !(event->modifiers() & Qt::ControlModifier)) {
        beep();
        event->accept();
        return;
    }

    // Whatever else a key does, it never changes the text of a field that
    // cannot be typed into (line-editing shortcuts included).
    const QString before = text();
    QLineEdit::keyPressEvent(event);
    if (!m_editorEnabled && text() != before) {
        setText(before);
        beep();
    }
}

void TCSpinEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!m_editorEnabled) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void TCSpinEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection on X11.
    if (event->button() == Qt::MiddleButton && !canModify()) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TCSpinEdit::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        const QString name = action->objectName();
        if (name == QLatin1String("edit-cut") || name == QLatin1String("edit-paste")
            || name == QLatin1String("edit-delete")) {
            if (!canModify())
                action->setEnabled(false);
        }
    }
    menu->exec(event->globalPos());
}

void TCSpinEdit::focusInEvent(QFocusEvent* event)
{
    const Qt::FocusReason reason = event->reason();
    if (!m_autoSelect
        && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
            || reason == Qt::ShortcutFocusReason)) {
        // The line edit selects everything on these by itself; AutoSelect off
        // keeps the text as it was.
        QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
        QLineEdit::focusInEvent(&plain);
        return;
    }
    QLineEdit::focusInEvent(event);
    if (m_autoSelect && !(QApplication::mouseButtons() & Qt::LeftButton))
        selectAll();
}

void TCSpinEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    const std::int32_t value = GetValue();
    if (CheckValue(value) != value)
        SetValue(value);
}

int TCSpinEdit::MinHeight() const
{
    return spin::minimumEditHeight(fontMetrics().height(),
                                   QFontMetrics(QApplication::font()).height(), kBorderLine);
}

QSize TCSpinEdit::sizeHint() const
{
    const QSize hint = QLineEdit::sizeHint();
    return QSize(hint.width(), std::max(hint.height(), MinHeight()));
}

QSize TCSpinEdit::minimumSizeHint() const
{
    const QSize hint = QLineEdit::minimumSizeHint();
    return QSize(hint.width(), std::max(hint.height(), MinHeight()));
}

void TCSpinEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    if (height() < MinHeight())
        resize(width(), MinHeight());
    // Placed from the size as it stands now: a hidden or top-level edit gets
    // no second resize event for the corrected height.
    placeButton();
}

void TCSpinEdit::showEvent(QShowEvent* event)
{
    QLineEdit::showEvent(event);
    placeButton();
}

bool TCSpinEdit::event(QEvent* event)
{
    const bool handled = QLineEdit::event(event);
    // Polishing settles the font and frame the first placement depends on.
    if (event->type() == QEvent::Polish)
        placeButton();
    return handled;
}

void TCSpinEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange && height() < MinHeight())
        resize(width(), MinHeight());
}

void TCSpinEdit::placeButton()
{
    m_button->setGeometry(spin::spinButtonPlacement(size(), m_button->width(), kFrame));
    SetEditRect();
}

void TCSpinEdit::SetEditRect()
{
    // Keep the text clear of the button.
    setTextMargins(0, 0, m_button->width() + 2, 0);
}

void TCSpinEdit::setIncrement(int increment)
{
    writeProperty(m_report, this, &TCSpinEdit::SetIncrement, increment);
}

void TCSpinEdit::setMinValue(int value)
{
    writeProperty(m_report, this, &TCSpinEdit::SetMinValue, value);
}

void TCSpinEdit::setMaxValue(int value)
{
    writeProperty(m_report, this, &TCSpinEdit::SetMaxValue, value);
}

void TCSpinEdit::setEditorEnabled(bool on)
{
    writeProperty(m_report, this, &TCSpinEdit::SetEditorEnabled, on);
}

void TCSpinEdit::setAutoSelect(bool on)
{
    writeProperty(m_report, this, &TCSpinEdit::SetAutoSelect, on);
}

void TCSpinEdit::setValue(int value)
{
    writeProperty(m_report, this, &TCSpinEdit::SetValue, value);
}

} // namespace quorvane
