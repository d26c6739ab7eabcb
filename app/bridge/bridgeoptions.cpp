// SPDX-License-Identifier: MIT
#include "app/bridge/bridgeoptions.h"

namespace quorvane {

BridgeOptions parseBridgeOptions(int argc, const char* const* argv)
{
    BridgeOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--once")
            options.once = true;
        else if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (options.error.empty())
            options.error = (arg[0] == '-' ? "unknown option " : "unexpected argument ") + arg;
    }
    return options;
}

std::string bridgeUsage()
{
    return "Usage: quorvane-bridge [--once]\n"
           "Writes the signal files for the expert advisor without a desktop: polls the\n"
           "signal service at start and every 15 s, as the Quorvane window does, with the\n"
           "window's settings file. The window and the bridge never run at the same time.\n"
           "\n"
           "  --once   one poll, then exit: 0 when the call succeeded and the signal files\n"
           "           were written, 1 otherwise (the files are left in place)\n"
           "  --help   this text\n"
           "\n"
           "SIGTERM, SIGINT and SIGHUP end it with 0 after removing EURUSD's signal file.\n"
           "Exit 1: the window or another bridge runs; exit 2: a bad command line, or no\n"
           "usable terminal folder in the settings file ([Form] mt4-path).\n"
           "As a systemd user service: systemctl --user enable --now quorvane-bridge\n";
}

} // namespace quorvane
