// SPDX-License-Identifier: MIT
#pragma once
// The fixture of the MetaTrader 5 advisor's tests: a scratch sandbox, the
// simulated terminal reset to its defaults, the advisor's inputs at theirs, and
// helpers that write records the way Quorvane does and read back what the
// advisor did.

#include "ea5.h"
#include "tests/support/scratchfolder.h"
#include "simulator5.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "mql5.h"
#undef input

namespace mql5test {

using namespace quorvane::test;
using Lines = std::vector<std::string>;
using mql5sim::Position;

struct Inputs {
    int magic, levelNum, slippage, stopLossPips, maxAgeSeconds, retryWaitSeconds;
    double maxSignal, limitedFunds, maximumRisk, lp;
    bool onlyClose, useCommonFolder;
    static Inputs current()
    {
        return {::magic, LevelNum, Slippage, StopLossPips, MaxAgeSeconds, RetryWaitSeconds, MaxSignal, LimitedFunds,
                MaximumRisk, LP, OnlyClose, UseCommonFolder};
    }
    void apply() const
    {
        ::magic = magic, LevelNum = levelNum, Slippage = slippage, StopLossPips = stopLossPips;
        MaxAgeSeconds = maxAgeSeconds, RetryWaitSeconds = retryWaitSeconds, MaxSignal = maxSignal;
        LimitedFunds = limitedFunds, MaximumRisk = maximumRisk, LP = lp, OnlyClose = onlyClose;
        // The strings are "" in the source too; they are not read here, since the
        // advisor's strings may not be constructed yet when this table is made.
        UseCommonFolder = useCommonFolder, SymbolPrefix = "", SymbolSuffix = "";
    }
};
// The source's own defaults, taken by the first fixture, before any test changes them.
inline const Inputs& defaults()
{
    static const Inputs taken = Inputs::current();
    return taken;
}

inline std::string record(const std::string& signal)
{
    return "(Symbol:EURUSD,Price:1.08406,Time:2026.12.08 10:00,Signal:" + signal + ")";
}

inline constexpr const char* kNetting = "netting";
inline constexpr const char* kHedging = "hedging";

class Mql5Advisor : public ::testing::Test {
protected:
    Mql5Advisor()
    {
        defaults().apply();
        sim = mql5sim::Terminal{};
        sim.filesFolder = dir.path();
        sim.commonFolder = dir / "common";
        std::filesystem::create_directory(dir / "common");
    }
    ~Mql5Advisor() override
    {
        OnDeinit(0);
        second::OnDeinit(0);
    }
    /// A fresh terminal for the next row of a table.
    void reset(const char* kind)
    {
        OnDeinit(0);
        sim = mql5sim::Terminal{};
        sim.filesFolder = dir.path();
        account(kind);
        m_seen = 0;
    }
    void account(const char* kind)
    {
        sim.marginMode = std::string(kind) == kHedging ? mql5sim::RetailHedging : mql5sim::RetailNetting;
    }
    /// Quorvane writes the file anew. Its date is only ever a new one, never
    /// related to any clock: the advisor must not compare it with one.
    void write(const std::string& content, const std::string& folder = "")
    {
        const std::string path = (folder.empty() ? dir.path() : dir / folder) + "/EURUSD";
        writeFile(path, content);
        m_stamp += 15;
        const timespec times[2] = {{static_cast<time_t>(m_stamp), 0}, {static_cast<time_t>(m_stamp), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    /// Starts the advisor and lets it see a first record arrive.
    void begin()
    {
        ASSERT_EQ(OnInit(), INIT_SUCCEEDED) << ::testing::PrintToString(sim.alerts);
        OnTick();
        write(record("0"));
        OnTick();
    }
    /// A new record and a tick; a second tick on the same record changes nothing.
    void feed(const std::string& signal)
    {
        write(record(signal));
        OnTick();
    }
    /// This advisor's positions, oldest first: "b0.06 b0.06", "s0.12".
    std::string positions() const
    {
        std::string s;
        for (const Position& p : sim.positions) {
            if (p.magic != ::magic)
                continue;
            char volume[32];
            std::snprintf(volume, sizeof volume, "%g", p.volume);
            s += (s.empty() ? "" : " ") + std::string(p.buy ? "b" : "s") + volume;
        }
        return s;
    }
    /// The requests since the last call.
    Lines requests()
    {
        Lines fresh(sim.requests.begin() + static_cast<std::ptrdiff_t>(m_seen), sim.requests.end());
        m_seen = sim.requests.size();
        return fresh;
    }
    std::string line() const { return sim.comment.substr(0, sim.comment.find('\n')); }

    ScratchFolder dir;
    mql5sim::Terminal& sim = mql5sim::terminal();

private:
    long long m_stamp = 1000000;
    std::size_t m_seen = 0;
};

class Mql5Accounts : public Mql5Advisor, public ::testing::WithParamInterface<const char*> {
protected:
    Mql5Accounts() { account(GetParam()); }
    bool hedging() const { return sim.hedging(); }
};

} // namespace mql5test
