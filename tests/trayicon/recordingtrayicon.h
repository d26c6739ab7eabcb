#pragma once
// A tray icon that writes down, in order, every Do operation, Restore and
// ShowMenu it runs, so tests can check the dispatch sequence.

#include "fakeshell.h"
#include "ttrayicon.h"

#include <memory>
#include <string>
#include <vector>

namespace quorvane::test {

class RecordingTrayIcon : public TTrayIcon {
public:
    explicit RecordingTrayIcon(std::shared_ptr<ShellLog> log, QWidget* window = nullptr)
        : TTrayIcon(nullptr, window, std::make_unique<FakeShell>(std::move(log)))
    {
    }

    std::vector<std::string> calls;
    /// When true, Restore and ShowMenu also do their real work.
    bool passOn = false;

    void Restore() override
    {
        calls.push_back("Restore");
        if (passOn)
            TTrayIcon::Restore();
    }
    void ShowMenu() override
    {
        calls.push_back("ShowMenu");
        if (passOn)
            TTrayIcon::ShowMenu();
    }

    static std::string buttonName(TMouseButton button)
    {
        switch (button) {
        case mbLeft:
            return "left";
        case mbRight:
            return "right";
        case mbMiddle:
            return "middle";
        }
        return "?";
    }

    using TTrayIcon::DoOnAnimate;

protected:
    void DoClick() override
    {
        calls.push_back("DoClick");
        TTrayIcon::DoClick();
    }
    void DoDblClick() override
    {
        calls.push_back("DoDblClick");
        TTrayIcon::DoDblClick();
    }
    void DoMouseMove(TShiftState shift, int x, int y) override
    {
        calls.push_back("DoMouseMove");
        TTrayIcon::DoMouseMove(shift, x, y);
    }
    void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) override
    {
        calls.push_back("DoMouseDown(" + buttonName(button) + ")");
        TTrayIcon::DoMouseDown(button, shift, x, y);
    }
    void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) override
    {
        calls.push_back("DoMouseUp(" + buttonName(button) + ")");
        TTrayIcon::DoMouseUp(button, shift, x, y);
    }
};

} // namespace quorvane::test
