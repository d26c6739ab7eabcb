// SPDX-License-Identifier: MIT
#include "repeattimer.h"

#include <QTimer>

namespace quorvane {

namespace {

class QtRepeatTimer final : public RepeatTimer {
public:
    QtRepeatTimer()
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            if (onTimeout)
                onTimeout();
        });
    }
    void start(int intervalMs) override { m_timer.start(intervalMs); }
    void setInterval(int intervalMs) override { m_timer.setInterval(intervalMs); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }
    int interval() const override { return m_timer.interval(); }

private:
    QTimer m_timer;
};

} // namespace

std::unique_ptr<RepeatTimer> makeQtRepeatTimer()
{
    return std::make_unique<QtRepeatTimer>();
}

} // namespace quorvane
