#pragma once
// Errors thrown by the handlers of OnUpClick and OnDownClick must not cross
// Qt's event loop: the spin controls catch them where an event enters and pass
// the message on, as the program's own handlers do.

#include <functional>
#include <string>

namespace quorvane {

/// Shows (or records) the message of an error that escaped a handler.
using HandlerErrorReport = std::function<void(const std::string& message)>;

/// The report used unless a control is given another: a message box with the
/// message, titled with the application's display name.
void showHandlerError(const std::string& message);

/// Runs `fn`; an exception escaping it goes to `report` with its message (the
/// empty text for an exception without one).
void runReported(const HandlerErrorReport& report, const std::function<void()>& fn);

} // namespace quorvane
