// SPDX-License-Identifier: MIT
// libFuzzer entry of every target: QUORVANE_FUZZ_CHECK names the check it runs.
// Any broken invariant is reported as a crash with its reason.
#include "checks.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string broken = quorvane::fuzz::QUORVANE_FUZZ_CHECK({reinterpret_cast<const char*>(data), size});
    if (!broken.empty()) {
        std::fprintf(stderr, "broken invariant: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
