// SPDX-License-Identifier: MIT
#include "hintswitch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QToolTip>

namespace quorvane {

HintSwitch::HintSwitch(QWidget* window) : QObject(window), m_window(window)
{
    // Tooltip requests travel from the control under the mouse up to its parents;
    // watching them application-wide sees every step of that walk.
    QCoreApplication::instance()->installEventFilter(this);
}

HintSwitch::~HintSwitch()
{
    if (auto* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void HintSwitch::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (!m_enabled)
        QToolTip::hideText();
}

void HintSwitch::exempt(QWidget* widget)
{
    m_exempt.emplace_back(widget);
}

bool HintSwitch::allows(const QWidget* widget) const
{
    if (m_enabled || !m_window || !widget)
        return true;
    if (widget != m_window && !m_window->isAncestorOf(widget))
        return true;
    for (const auto& w : m_exempt) {
        if (w == widget)
            return true;
    }
    return false;
}

bool HintSwitch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip && watched->isWidgetType())
        return !allows(static_cast<QWidget*>(watched));
    return false;
}

} // namespace quorvane
