// SPDX-License-Identifier: MIT
#pragma once
// The command line of quorvane-bridge.

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
    std::string error; ///< a usage error; empty when the line was understood
};

BridgeOptions parseBridgeOptions(int argc, const char* const* argv);

/// The usage text of --help, without the files in use.
std::string bridgeUsage();

} // namespace quorvane
