// SPDX-License-Identifier: MIT
#include "app/bridge/bridgeoptions.h"

namespace quorvane {

BridgeOptions parseBridgeOptions(int argc, const char* const* argv)
{
    BridgeOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--once") {
            options.once = true;
        } else if (arg == "--export-history") {
            options.exportHistory = true;
        } else if (arg == "--symbol" || arg == "--since") {
            if (i + 1 == argc) {
                if (options.error.empty())
                    options.error = arg + " needs a value";
                continue;
            }
            (arg == "--symbol" ? options.symbol : options.since) = std::string(argv[++i]);
        }
        else if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (options.error.empty())
            options.error = (arg[0] == '-' ? "unknown option " : "unexpected argument ") + arg;
    }
    if (options.error.empty() && (options.symbol || options.since) && !options.exportHistory)
        options.error = "--symbol and --since go with --export-history";
    if (options.error.empty() && options.exportHistory && options.once)
        options.error = "--export-history and --once do not go together";
    return options;
}

std::string bridgeUsage()
{
    return "Usage: quorvane-bridge [--once]\n"
           "       quorvane-bridge --export-history [--symbol NAME] [--since YYYY-MM-DD]\n"
           "Writes the signal files for the expert advisor without a desktop: polls the\n"
           "signal service at start and every 15 s, as the Quorvane window does, with the\n"
           "window's settings file. The window and the bridge never run at the same time.\n"
           "\n"
           "  --once   one poll, then exit: 0 when the call succeeded and the signal files\n"
           "           were written, 1 otherwise (the files are left in place)\n"
           "  --export-history  the signal history as CSV on stdout, oldest first; takes\n"
           "           no lock and writes nothing, so it runs beside the window or the bridge\n"
           "  --symbol NAME     only records whose short name (first six characters) is NAME\n"
           "  --since DATE      only records received on DATE (YYYY-MM-DD, UTC) or later\n"
           "  --help   this text\n"
           "\n"
           "SIGTERM, SIGINT and SIGHUP end it with 0 after removing EURUSD's signal file.\n"
           "Exit 1: the window or another bridge runs; exit 2: a bad command line, or no\n"
           "usable terminal folder in the settings file ([Form] mt4-path).\n"
           "As a systemd user service: systemctl --user enable --now quorvane-bridge\n";
}

} // namespace quorvane
