// SPDX-License-Identifier: MIT
// Every saved fuzz input, seeds and findings alike, must still satisfy the
// invariant its fuzzer checks. A finding is kept here once it is fixed.
#include "tests/fuzz/checks.h"
#include "tests/support/scratchfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Target {
    const char* name;
    std::function<std::string(std::string_view)> check;
};

std::vector<fs::path> inputsOf(const std::string& target)
{
    std::vector<fs::path> files;
    for (const char* kind : {"corpus", "regressions"}) {
        const fs::path dir = fs::path(QUORVANE_FUZZ_DIR) / kind / target;
        if (!fs::is_directory(dir))
            continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.is_regular_file())
                files.push_back(entry.path());
        }
    }
    return files;
}

// GoogleTest shows the row's name instead of its raw bytes.
void PrintTo(const Target& row, std::ostream* out)
{
    *out << row.name;
}

class FuzzReplay : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, SavedInputsKeepTheirInvariants)
{
    const std::vector<fs::path> inputs = inputsOf(GetParam().name);
    ASSERT_FALSE(inputs.empty()) << "no saved inputs for " << GetParam().name;
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        EXPECT_EQ(GetParam().check(quorvane::test::readFile(input.string())), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay,
    ::testing::Values(Target{"records", quorvane::fuzz::checkRecords},
                      Target{"inifile", quorvane::fuzz::checkIniFile},
                      Target{"decoder", quorvane::fuzz::checkDecoder}),
    [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

} // namespace
