// SPDX-License-Identifier: MIT
#pragma once
// Every setting of the settings file in one table: where it is, its form, its
// default and the control that holds it while the program runs. The window
// reads and writes its controls from here, the entry reads the endpoint.

#include "inifile.h"

#include <string>
#include <variant>
#include <vector>

namespace quorvane {

/// How a value is stored: "1"/"0", a decimal integer, or text as it is.
enum class SettingForm { Flag, Integer, Text };

/// A value as read or to be written: bool (Flag), int (Integer), text (Text).
using SettingValue = std::variant<bool, int, std::string>;

struct Setting {
    const char* section;
    const char* key;
    SettingForm form;
    SettingValue fallback; ///< when the key is absent or not of its form
    /// Object name of the window's control that holds the value, or null when
    /// the window holds none.
    const char* control;
    bool written; ///< written back at exit
};

/// The settings of section "Form", in the order they are read at start and,
/// where written, at exit: "sound", "hint", "OpenS", "CloseS", "symbel" (read,
/// never written), "MaxS", "mt4-path", "common-files", "notify-lamps".
const std::vector<Setting>& formSettings();

/// [Service] Url: the endpoint of the signal service; empty (also when absent)
/// means the default one. Read by the entry at start, never written.
std::string readServiceUrl(const TIniFile& ini);

/// [History] Days: how many days of polls the signal history keeps; 0 keeps
/// none (no file is made). 30 when absent, not an integer or negative. Read at
/// start, never written.
int readHistoryDays(const TIniFile& ini);

/// Reads one setting; never fails (an absent file or key, or a value not of
/// the setting's form, gives its fallback).
SettingValue readSetting(const TIniFile& ini, const Setting& setting);

/// Writes one setting; throws as TIniFile's writes do. The value must be of the
/// setting's form.
void writeSetting(TIniFile& ini, const Setting& setting, const SettingValue& value);

} // namespace quorvane
