// SPDX-License-Identifier: MIT
#pragma once
// A component's Q_PROPERTYs are written through Qt-style setters (set + the
// property name: setProgress for Progress), the names that uic's generated
// code calls. Designer's property editor, QUiLoader, uic's code and
// QObject::setProperty cannot handle an exception, so a value that the Set
// operation refuses is reported and the component stays as it was. Code that
// calls the Set operations directly still gets their exceptions.

#include "handlerreport.h"

#include <utility>

namespace quorvane {

/// Calls (widget->*set)(value) for a write through the property system; an
/// exception goes to `report` instead of the caller.
template <typename Widget, typename Param, typename Value>
void writeProperty(const HandlerErrorReport& report, Widget* widget, void (Widget::*set)(Param),
                   Value&& value)
{
    runReported(report, [&] { (widget->*set)(std::forward<Value>(value)); });
}

} // namespace quorvane
