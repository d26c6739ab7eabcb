// SPDX-License-Identifier: MIT
#pragma once
// One application-wide error report. No exception may cross Qt's event loop, so
// every handler entry runs through runGuarded() and the application object's
// notify() is the last net for anything that slips past.

#include <QApplication>

#include <functional>
#include <string>
#include <utility>

namespace quorvane {

/// Shows (or records) the message of an error that escaped a handler.
using ErrorReporter = std::function<void(const std::string& message)>;

/// Runs `fn`; an exception escaping it goes to `report` with its message (an
/// exception without a message is reported with the empty text).
void runGuarded(const ErrorReporter& report, const std::function<void()>& fn);

/// A handler for connect(): runs `fn` through runGuarded with `report`.
template <typename F>
auto guarded(ErrorReporter report, F fn)
{
    return [report = std::move(report), fn = std::move(fn)]() { runGuarded(report, fn); };
}

/// The real report: a message box with the message, titled with the
/// application's display name.
void showErrorBox(const std::string& message);

/// QApplication that reports exceptions thrown from event delivery instead of
/// letting them unwind through the event loop.
class QuorvaneApplication : public QApplication {
public:
    QuorvaneApplication(int& argc, char** argv, ErrorReporter report);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    ErrorReporter m_report;
};

} // namespace quorvane
