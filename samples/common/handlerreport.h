// SPDX-License-Identifier: MIT
#pragma once
// Errors thrown by event handlers (OnUpClick, OnDownClick) and by the Set
// operations behind a property write must not cross Qt's event loop or
// QObject::setProperty: the components catch them where the call enters and
// pass the message on, as the program's own handlers do.

#include <QMetaType>

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

// Known by this name to the meta-object system, so that code holding only a
// QWidget (one made by the Designer plugin or QUiLoader) can hand a component
// its report through the invokable setErrorReport.
Q_DECLARE_METATYPE(quorvane::HandlerErrorReport)
