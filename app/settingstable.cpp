// SPDX-License-Identifier: MIT
#include "settingstable.h"

#include <stdexcept>

namespace quorvane {

const std::vector<Setting>& formSettings()
{
    static const std::vector<Setting> table = {
        {"Form", "sound", SettingForm::Flag, false, "CheckBox2", true},
        {"Form", "hint", SettingForm::Flag, true, "CheckBox1", true},
        {"Form", "OpenS", SettingForm::Integer, 2, "ComboBox1", true},
        {"Form", "CloseS", SettingForm::Integer, 1, "ComboBox2", true},
        // The pick of the last run, good until the first poll changes the list.
        {"Form", "symbel", SettingForm::Integer, 0, "ComboBox3", false},
        {"Form", "MaxS", SettingForm::Integer, 25, "TrackBar1", true},
        {"Form", "mt4-path", SettingForm::Text, std::string(), "Edit2", true},
        // After mt4-path: checking the box at start adds the shared folder of the
        // targets that folder has just been resolved to.
        {"Form", "common-files", SettingForm::Flag, false, "CheckBox3", true},
        // The lamp count that is notified on the desktop: the list's index, 0 off.
        {"Form", "notify-lamps", SettingForm::Integer, 0, "NotifyLampsBox", true},
    };
    return table;
}

namespace {

// Beyond the window's settings: the entry hands it to the service client.
const Setting kServiceUrl = {"Service", "Url", SettingForm::Text, std::string(), nullptr, false};
const Setting kHistoryDays = {"History", "Days", SettingForm::Integer, 30, nullptr, false};

} // namespace

SettingValue readSetting(const TIniFile& ini, const Setting& setting)
{
    switch (setting.form) {
    case SettingForm::Flag:
        return ini.ReadBool(setting.section, setting.key, std::get<bool>(setting.fallback));
    case SettingForm::Integer:
        return ini.ReadInteger(setting.section, setting.key, std::get<int>(setting.fallback));
    case SettingForm::Text:
        return ini.ReadString(setting.section, setting.key, std::get<std::string>(setting.fallback));
    }
    throw std::logic_error("unknown setting form");
}

std::string readServiceUrl(const TIniFile& ini)
{
    return std::get<std::string>(readSetting(ini, kServiceUrl));
}

int readHistoryDays(const TIniFile& ini)
{
    const int days = std::get<int>(readSetting(ini, kHistoryDays));
    return days < 0 ? std::get<int>(kHistoryDays.fallback) : days;
}

void writeSetting(TIniFile& ini, const Setting& setting, const SettingValue& value)
{
    switch (setting.form) {
    case SettingForm::Flag:
        ini.WriteBool(setting.section, setting.key, std::get<bool>(value));
        return;
    case SettingForm::Integer:
        ini.WriteInteger(setting.section, setting.key, std::get<int>(value));
        return;
    case SettingForm::Text:
        ini.WriteString(setting.section, setting.key, std::get<std::string>(value));
        return;
    }
}

} // namespace quorvane
