// SPDX-License-Identifier: MIT
#pragma once
// The controls that hold settings while the program runs, by their kind.

#include "settingstable.h"

class QWidget;

namespace quorvane {

/// Puts a value read from the settings file into its control: a check box is
/// checked when the flag is true; a list selects the index (outside the list:
/// no selection, and no change event); a track bar takes the position, limited
/// to its range. Throws quorvane::Exception for a control of another kind.
void setControlValue(QWidget* control, const SettingValue& value);

/// What a check box, list (-1 without selection) or track bar holds, to be
/// written back. Throws quorvane::Exception for a control of another kind.
SettingValue controlValue(const QWidget* control);

} // namespace quorvane
