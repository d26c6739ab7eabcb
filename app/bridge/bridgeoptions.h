// SPDX-License-Identifier: MIT
#pragma once
// The command line of quorvane-bridge.

#include <optional>
#include <string>

namespace quorvane {

/// Exit codes: a clean end, a failed --once poll or another copy running,
/// and a command line or settings the bridge cannot start with.
inline constexpr int kBridgeExitOk = 0;
inline constexpr int kBridgeExitFailed = 1;
inline constexpr int kBridgeExitUsage = 2;

struct BridgeOptions {
    bool once = false;
    bool help = false;
    bool exportHistory = false;          ///< --export-history: the history as CSV on stdout
    std::optional<std::string> symbol;   ///< --symbol NAME: one short name only
    std::optional<std::string> since;    ///< --since YYYY-MM-DD: from that day (UTC) on
    std::string error; ///< a usage error; empty when the line was understood
};

BridgeOptions parseBridgeOptions(int argc, const char* const* argv);

/// The usage text of --help, without the files in use.
std::string bridgeUsage();

} // namespace quorvane
