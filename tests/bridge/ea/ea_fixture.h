// SPDX-License-Identifier: MIT
#pragma once
// The simulated terminal with the advisor's inputs at their defaults, a files
// sandbox, and Quorvane's polls as the advisor sees them.

#include "ea.h"
#include "tests/support/scratchfolder.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace eatest {

using Lines = std::vector<std::string>;

struct Inputs {
    int magic;
    double maxSignal, limitedFunds, maximumRisk;
    int levelNum;
    bool onlyClose;
    double lp;
    int slippage, stopLossPips, maxAgeSeconds, retryWaitSeconds;
    string prefix, suffix;
    bool common;
    static Inputs current()
    {
        return {::magic, MaxSignal, LimitedFunds, MaximumRisk, LevelNum, OnlyClose, LP, Slippage, StopLossPips,
                MaxAgeSeconds, RetryWaitSeconds, SymbolPrefix, SymbolSuffix, UseCommonFolder};
    }
    void apply() const
    {
        ::magic = magic, MaxSignal = maxSignal, LimitedFunds = limitedFunds, MaximumRisk = maximumRisk;
        LevelNum = levelNum, OnlyClose = onlyClose, LP = lp, Slippage = slippage, StopLossPips = stopLossPips;
        MaxAgeSeconds = maxAgeSeconds, RetryWaitSeconds = retryWaitSeconds;
        SymbolPrefix = prefix, SymbolSuffix = suffix, UseCommonFolder = common;
    }
};

/// The source's own defaults, taken before any test changes them.
inline const Inputs& defaults()
{
    static const Inputs inputs = Inputs::current();
    return inputs;
}

inline std::string record(const std::string& signal)
{
    return "(Symbol:EURUSD,Price:1.08406,Time:2026.12.08 10:00,Signal:" + signal + ")";
}

/// The chart's second line, after "Quorvane: signal file EURUSD for EURUSD".
inline std::string chart(const std::string& line) { return "Quorvane: signal file EURUSD for EURUSD\n" + line; }

class ExpertAdvisor : public ::testing::Test {
protected:
    ExpertAdvisor()
    {
        defaults().apply();
        second::magic = defaults().magic;
        reset();
    }
    /// A terminal as the test starts it: default symbol, quotes and account.
    void reset()
    {
        sim = mql4sim::Terminal{};
        sim.filesFolder = dir.path();
        sim.commonFolder = dir / "Common";
        std::filesystem::create_directories(sim.commonFolder);
        std::filesystem::remove(dir / "EURUSD");
        std::filesystem::remove(sim.commonFolder + "/EURUSD");
        m_seen = 0;
    }
    /// Quorvane's next poll, 15 s after the last: the signal file written now.
    void poll(const std::string& content, const std::string& folder = "") const
    {
        sim.advance(15);
        writeStamped(content, folder, sim.now);
    }
    /// The signal file written, stamped `when` (TimeLocal seconds), without the clocks moving.
    void writeStamped(const std::string& content, const std::string& folder, long long when) const
    {
        const std::string path = (folder.empty() ? dir.path() : folder) + "/EURUSD";
        // Over the old bytes, then cut to length: a file truncated to nothing
        // and rewritten is flushed to disk at close (ext4), and a day of polls
        // would take half a minute.
        if (std::filesystem::exists(path)) {
            std::fstream(path, std::ios::binary | std::ios::in | std::ios::out) << content;
            std::filesystem::resize_file(path, content.size());
        } else {
            quorvane::test::writeFile(path, content);
        }
        const timespec times[2] = {{static_cast<time_t>(when), 0}, {static_cast<time_t>(when), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    /// A poll that brings `signal`, then a tick.
    void feed(const std::string& signal) const
    {
        poll(record(signal));
        mql4sim::Tick();
    }
    /// Starts the advisor and lets it take its first look; the test fails when it refuses.
    void start() const
    {
        ASSERT_EQ(OnInit(), INIT_SUCCEEDED) << ::testing::PrintToString(sim.alerts);
        mql4sim::Tick();
    }
    /// Types of the advisor's positions in pool order: "bbs" = two buys, one sell.
    std::string positions(int ours = 300000) const
    {
        std::string s;
        for (const mql4sim::Order& o : sim.orders) {
            if (o.magic == ours && o.symbol == "EURUSD")
                s += o.type == OP_BUY ? 'b' : 's';
        }
        return s;
    }
    /// The trade requests since the last call.
    Lines requests()
    {
        Lines fresh(sim.requests.begin() + static_cast<std::ptrdiff_t>(m_seen), sim.requests.end());
        m_seen = sim.requests.size();
        return fresh;
    }
    /// An order closed by the server (its stop) or by hand: gone from the pool.
    void closedOutside(std::size_t index)
    {
        sim.history.push_back(sim.orders.at(index));
        sim.history.back().closeTime = sim.now;
        sim.orders.erase(sim.orders.begin() + static_cast<std::ptrdiff_t>(index));
    }

    quorvane::test::ScratchFolder dir;
    mql4sim::Terminal& sim = mql4sim::terminal();

private:
    std::size_t m_seen = 0;
};

} // namespace eatest
