// SPDX-License-Identifier: MIT
#pragma once
// The folder every terminal of a user shares (MetaQuotes/Terminal/Common/Files of
// the application-data folder that holds the data folders), which an expert
// advisor opens with FILE_COMMON. When the user asks for it, the poll writes the
// signal files there as well, as one more target of kind Shared.

#include "terminaltargets.h"

#include <string>
#include <vector>

namespace quorvane {

/// The targets the poll writes, and why a shared folder was left out.
struct TargetsToServe {
    std::vector<TerminalTarget> targets;
    /// One message per shared folder that may not be written, for the error log.
    std::vector<std::string> refusals;
};

/// `targets` without shared folders and, when `withSharedFolder`, followed by the
/// shared folder of each application-data folder that holds one of their data folders
/// (a signal folder "<app data>/MetaQuotes/Terminal/<32 hex digits>/MQL4|MQL5/Files"),
/// once each. Common and Common/Files are created when missing; a Common or
/// Common/Files that is not a folder, or that leads (as a link) out of the
/// application-data folder, is left out with a refusal. A shared target's signal
/// folder is the real path of Common/Files; its expert folder is "". A portable
/// installation, a legacy folder or a data folder anywhere else has no shared folder.
TargetsToServe targetsToServe(std::vector<TerminalTarget> targets, bool withSharedFolder);

/// Whether a shared target is still where targetsToServe found it: its signal folder
/// is still its own real path, so no link has been put in its way since.
bool sharedFolderUnmoved(const TerminalTarget& target);

} // namespace quorvane
