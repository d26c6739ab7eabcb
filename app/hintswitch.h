// SPDX-License-Identifier: MIT
#pragma once
// The window-wide hint switch: while it is off, no control of the window shows
// its tooltip, except the controls that always show theirs (the switch's own box).

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace quorvane {

class HintSwitch : public QObject {
public:
    /// Watches tooltip requests for `window` and its children; starts switched off.
    explicit HintSwitch(QWidget* window);
    ~HintSwitch() override;

    /// Turns the window's hints on or off.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

    /// `widget` shows its tooltip whatever the switch says.
    void exempt(QWidget* widget);

    /// True when a tooltip request for `widget` would be let through now.
    bool allows(const QWidget* widget) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    std::vector<QPointer<QWidget>> m_exempt;
    bool m_enabled = false;
};

} // namespace quorvane
