// SPDX-License-Identifier: MIT
#pragma once
// TCSpinEdit: a single-line integer field with a spin button at its right
// edge. The text is the state: Value is read from it and written to it.

#include "samples/common/propertywrite.h"

#include <QLineEdit>

#include <cstdint>

namespace quorvane {

class TCSpinButton;

class TCSpinEdit : public QLineEdit {
    Q_OBJECT
    /// The step of UpClick and DownClick.
    Q_PROPERTY(int Increment READ Increment WRITE setIncrement)
    /// Lower bound; equal bounds mean no range.
    Q_PROPERTY(int MinValue READ MinValue WRITE setMinValue)
    /// Upper bound; equal bounds mean no range.
    Q_PROPERTY(int MaxValue READ MaxValue WRITE setMaxValue)
    /// Whether the text can be typed into (false: only stepped).
    Q_PROPERTY(bool EditorEnabled READ EditorEnabled WRITE setEditorEnabled)
    /// Whether focusing by keyboard selects the whole text.
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE setAutoSelect)
    /// Whether the text is read-only: steps beep instead. (Written through
    /// QLineEdit's own setReadOnly, the setter uic calls, which is SetReadOnly.)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE setReadOnly)
    /// The text as an integer, held to the range when written; not stored, the text is.
    Q_PROPERTY(int Value READ GetValue WRITE setValue STORED false)
public:
    /// Makes a spin edit showing "0" with its spin button as a child.
    explicit TCSpinEdit(QWidget* parent = nullptr);

    /// The inner spin button.
    TCSpinButton* Button() const { return m_button; }

    /// The step of UpClick and DownClick (default 1).
    std::int32_t Increment() const { return m_increment; }
    void SetIncrement(std::int32_t increment) { m_increment = increment; }
    /// Lower bound; equal bounds mean no range (both default 0).
    std::int32_t MinValue() const { return m_minValue; }
    /// Sets the lower bound; the text is left as it is until the next write.
    void SetMinValue(std::int32_t value) { m_minValue = value; }
    /// Upper bound.
    std::int32_t MaxValue() const { return m_maxValue; }
    void SetMaxValue(std::int32_t value) { m_maxValue = value; }
    /// Whether the text can be typed into (false: only stepped).
    bool EditorEnabled() const { return m_editorEnabled; }
    /// Allows or forbids typing, cutting, pasting and dropping.
    void SetEditorEnabled(bool on);
    /// Whether focusing by keyboard selects the whole text (default true).
    bool AutoSelect() const { return m_autoSelect; }
    void SetAutoSelect(bool on) { m_autoSelect = on; }
    /// Whether the text is read-only: steps beep instead.
    bool ReadOnly() const { return isReadOnly(); }
    /// Sets read-only.
    void SetReadOnly(bool on) { setReadOnly(on); }

    /// The text as an integer; a text that is not one is replaced by MinValue.
    std::int32_t GetValue();
    /// Writes CheckValue(value) as the text.
    void SetValue(std::int32_t value);
    /// The value held to the range; equal bounds mean no range.
    std::int32_t CheckValue(std::int32_t value) const;

    /// Qt-style setters (set + the property name, as uic calls them) behind the
    /// properties: the Set operations, but a refused value is reported, not thrown.
    void setIncrement(int increment);
    void setMinValue(int value);
    void setMaxValue(int value);
    void setEditorEnabled(bool on);
    void setAutoSelect(bool on);
    void setValue(int value);

    /// The typing filter (decimal separator of the user's locale, sign, digits).
    virtual bool IsValidChar(QChar c) const;
    /// One step up, or a beep when read-only.
    virtual void UpClick(QObject* sender);
    /// One step down, or a beep when read-only.
    virtual void DownClick(QObject* sender);

    /// Cuts only while the editor is enabled and the text is writable.
    void Cut();
    /// Pastes only while the editor is enabled and the text is writable.
    void Paste();

    /// Where an error thrown by UpClick or DownClick from a key or the spin
    /// button goes (a message box by default); the edit goes on working.
    /// It also takes the values refused through the property system.
    Q_INVOKABLE void setErrorReport(const quorvane::HandlerErrorReport& report);

    /// h + min(hs, h) / 4 + 4 borders + 2, from the edit and system fonts.
    int MinHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    /// The control beeped (refused character, step while read-only).
    void beeped();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void beep();
    void step(std::int64_t delta);
    bool canModify() const { return m_editorEnabled && !isReadOnly(); }
    void SetEditRect();
    void placeButton();

    TCSpinButton* m_button = nullptr;
    std::int32_t m_increment = 1;
    std::int32_t m_minValue = 0;
    std::int32_t m_maxValue = 0;
    bool m_editorEnabled = true;
    bool m_autoSelect = true;
    HandlerErrorReport m_report = &showHandlerError;
};

} // namespace quorvane
