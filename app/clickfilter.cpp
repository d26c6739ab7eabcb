// SPDX-License-Identifier: MIT
#include "clickfilter.h"

#include <QMouseEvent>
#include <QWidget>

#include <utility>

namespace quorvane {

namespace {

class ClickFilter : public QObject {
public:
    ClickFilter(QWidget* widget, std::function<void()> onClick)
        : QObject(widget), m_onClick(std::move(onClick))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto* widget = static_cast<QWidget*>(watched);
            if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint())) {
                m_onClick();
                return true;
            }
        }
        return false;
    }

private:
    std::function<void()> m_onClick;
};

} // namespace

void OnClick(QWidget* widget, std::function<void()> onClick)
{
    new ClickFilter(widget, std::move(onClick));
}

} // namespace quorvane
