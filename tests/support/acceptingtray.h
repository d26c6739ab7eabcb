// SPDX-License-Identifier: MIT
#pragma once
// A notification area that takes every icon, so the window's tray code runs
// its full path without a desktop. The tray icon's own tests record and refuse
// calls with a stand-in of their own.

#include "trayicon/trayshell.h"

#include <string>
#include <vector>

namespace quorvane::test {

class AcceptingTray : public TrayShell {
public:
    /// `balloons`: where balloon messages are written down as
    /// "title / text" (critical ones with " (critical)"), or null.
    explicit AcceptingTray(std::vector<std::string>* balloons = nullptr) : m_balloons(balloons) {}
    bool Add(const NotifyIconData&) override { return true; }
    bool Modify(const NotifyIconData&) override { return true; }
    bool Delete(const NotifyIconData&) override { return true; }
    bool IsAvailable() const override { return true; }
    bool showBalloon(const NotifyIconData&, const std::string& title, const std::string& text,
                     BalloonIcon icon) override
    {
        if (m_balloons)
            m_balloons->push_back(title + " / " + text + (icon == BalloonIcon::Critical ? " (critical)" : ""));
        return true;
    }

private:
    std::vector<std::string>* m_balloons;
};

} // namespace quorvane::test
