// SPDX-License-Identifier: MIT
#pragma once
// Labels have no click event of their own; this gives one to the link labels.

#include <QObject>

#include <functional>

class QWidget;

namespace quorvane {

/// Calls `onClick` when the left button is released over `widget`. The filter
/// is owned by the widget.
void OnClick(QWidget* widget, std::function<void()> onClick);

} // namespace quorvane
