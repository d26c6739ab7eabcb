// SPDX-License-Identifier: MIT
#pragma once
// The timer behind auto-repeat, behind a narrow interface so that tests drive
// the repeat timing themselves instead of waiting.

#include <functional>
#include <memory>

class QObject;

namespace quorvane {

/// A restartable interval timer.
class RepeatTimer {
public:
    virtual ~RepeatTimer() = default;
    /// Starts (or restarts) the timer with the given interval in milliseconds.
    virtual void start(int intervalMs) = 0;
    /// Changes the interval; a running timer keeps running with the new one.
    virtual void setInterval(int intervalMs) = 0;
    /// Stops the timer; a stopped timer never ticks.
    virtual void stop() = 0;
    /// Whether the timer is running.
    virtual bool isActive() const = 0;
    /// The current interval in milliseconds.
    virtual int interval() const = 0;
    /// Called on every tick.
    std::function<void()> onTimeout;
};

/// Makes the timer for a button; the button owns what it gets.
using RepeatTimerFactory = std::function<std::unique_ptr<RepeatTimer>()>;

/// The real timer: a QTimer ticking through the event loop.
std::unique_ptr<RepeatTimer> makeQtRepeatTimer();

} // namespace quorvane
