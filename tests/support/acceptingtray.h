#pragma once
// A notification area that takes every icon, so the window's tray code runs
// its full path without a desktop. The tray icon's own tests record and refuse
// calls with a stand-in of their own.

#include "trayshell.h"

namespace quorvane::test {

class AcceptingTray : public TrayShell {
public:
    bool Add(const NotifyIconData&) override { return true; }
    bool Modify(const NotifyIconData&) override { return true; }
    bool Delete(const NotifyIconData&) override { return true; }
    bool IsAvailable() const override { return true; }
};

} // namespace quorvane::test
