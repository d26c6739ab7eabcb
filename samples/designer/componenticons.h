// SPDX-License-Identifier: MIT
#pragma once
// Widget-box icons of the components, drawn in code at 1x and 2x so that
// they stay sharp on any screen and no image files need shipping.

#include <QIcon>

namespace quorvane::designer {

QIcon performanceGraphIcon();
QIcon gaugeIcon();
QIcon spinEditIcon();
QIcon spinButtonIcon();
QIcon calendarIcon();
QIcon directoryOutlineIcon();

} // namespace quorvane::designer
