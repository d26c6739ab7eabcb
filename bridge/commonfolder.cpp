// SPDX-License-Identifier: MIT
#include "commonfolder.h"

#include "folderlookup.h"
#include "core/text.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace quorvane {

namespace {

namespace fs = std::filesystem;

bool isDataFolderName(const std::string& name)
{
    return name.size() == 32
           && std::all_of(name.begin(), name.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

// "<app data>/MetaQuotes/Terminal" when `target` lies in a data folder there.
std::optional<fs::path> terminalFolderOf(const TerminalTarget& target)
{
    if (target.kind == TerminalKind::Shared || target.signalFolder.empty())
        return std::nullopt;
    const fs::path dataFolder = fs::path(target.signalFolder).lexically_normal().parent_path().parent_path();
    const fs::path terminal = dataFolder.parent_path();
    if (!isDataFolderName(dataFolder.filename().string())
        || !equalsIgnoringAsciiCase(terminal.filename().string(), "Terminal")
        || !equalsIgnoringAsciiCase(terminal.parent_path().filename().string(), "MetaQuotes")
        || !terminal.parent_path().parent_path().has_relative_path())
        return std::nullopt;
    return terminal;
}

bool isInside(const fs::path& root, const fs::path& path)
{
    const auto [r, p] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return r == root.end();
}

// One step of the shared folder: found in any letter case, made when missing, and
// refused when it is no folder or its real place is outside `appData`.
std::optional<fs::path> sharedStep(const fs::path& parent, const std::string& name, const fs::path& appData,
                                   std::string& refusal)
{
    const fs::path step = childNamed(parent, name, true).value_or(parent / name);
    std::error_code ec;
    const fs::file_status own = fs::symlink_status(step, ec);
    if (own.type() == fs::file_type::not_found) {
        if (!fs::create_directory(step, ec) && ec) {
            refusal = "Shared folder not written: cannot create " + step.string();
            return std::nullopt;
        }
    } else if (!isFolder(step)) {
        refusal = "Shared folder not written: " + step.string() + " is not a folder";
        return std::nullopt;
    }
    const fs::path real = fs::canonical(step, ec);
    if (ec || !isInside(appData, real)) {
        refusal = "Shared folder not written: " + step.string() + " leads out of " + appData.string();
        return std::nullopt;
    }
    return step;
}

std::optional<TerminalTarget> sharedTarget(const fs::path& terminalFolder, std::string& refusal)
{
    std::error_code ec;
    const fs::path appData = fs::canonical(terminalFolder.parent_path().parent_path(), ec);
    if (ec) {
        refusal = "Shared folder not written: " + terminalFolder.string() + " cannot be found";
        return std::nullopt;
    }
    const std::optional<fs::path> common = sharedStep(terminalFolder, "Common", appData, refusal);
    const std::optional<fs::path> files = common ? sharedStep(*common, "Files", appData, refusal) : std::nullopt;
    if (!files)
        return std::nullopt;
    return TerminalTarget{"", fs::canonical(*files, ec).string(), TerminalKind::Shared};
}

} // namespace

TargetsToServe targetsToServe(std::vector<TerminalTarget> targets, bool withSharedFolder)
{
    TargetsToServe out;
    targets.erase(std::remove_if(targets.begin(), targets.end(),
                                 [](const TerminalTarget& t) { return t.kind == TerminalKind::Shared; }),
                  targets.end());
    out.targets = std::move(targets);
    if (!withSharedFolder)
        return out;
    std::vector<fs::path> seen;
    const std::size_t terminalTargets = out.targets.size();
    for (std::size_t i = 0; i < terminalTargets; ++i) {
        const std::optional<fs::path> terminal = terminalFolderOf(out.targets[i]);
        if (!terminal || std::find(seen.begin(), seen.end(), *terminal) != seen.end())
            continue;
        seen.push_back(*terminal);
        std::string refusal;
        std::optional<TerminalTarget> shared = sharedTarget(*terminal, refusal);
        if (!shared) {
            out.refusals.push_back(refusal);
            continue;
        }
        // Two users' Terminal folders may lead to one shared folder; it is written once.
        if (std::find(out.targets.begin(), out.targets.end(), *shared) == out.targets.end())
            out.targets.push_back(std::move(*shared));
    }
    return out;
}

bool sharedFolderUnmoved(const TerminalTarget& target)
{
    std::error_code ec;
    const fs::path real = fs::canonical(target.signalFolder, ec);
    return !ec && real == fs::path(target.signalFolder);
}

} // namespace quorvane
