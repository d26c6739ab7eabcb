#pragma once
// A notification area that records every call and refuses on request.

#include "trayshell.h"

#include <memory>
#include <string>
#include <vector>

namespace quorvane::test {

struct ShellLog {
    struct Call {
        std::string op; // "add", "modify", "delete"
        NotifyIconData data;
    };
    std::vector<Call> calls;
    bool refuseAdd = false;
    bool refuseDelete = false;
    bool available = true;
    bool present = false;

    int count(const std::string& op) const
    {
        int n = 0;
        for (const auto& call : calls)
            n += call.op == op ? 1 : 0;
        return n;
    }
    const NotifyIconData& last() const { return calls.back().data; }
};

class FakeShell final : public TrayShell {
public:
    explicit FakeShell(std::shared_ptr<ShellLog> log) : m_log(std::move(log)) {}

    bool Add(const NotifyIconData& data) override
    {
        m_log->calls.push_back({"add", data});
        if (m_log->refuseAdd || m_log->present)
            return false;
        m_log->present = true;
        return true;
    }
    bool Modify(const NotifyIconData& data) override
    {
        m_log->calls.push_back({"modify", data});
        return m_log->present;
    }
    bool Delete(const NotifyIconData& data) override
    {
        m_log->calls.push_back({"delete", data});
        if (m_log->refuseDelete || !m_log->present)
            return false;
        m_log->present = false;
        return true;
    }
    bool IsAvailable() const override { return m_log->available; }

private:
    std::shared_ptr<ShellLog> m_log;
};

} // namespace quorvane::test
