// SPDX-License-Identifier: MIT
#include "historysource.h"

namespace quorvane {

// Out of line, so the interface's vtable lives in one object file.
HistorySource::~HistorySource() = default;

} // namespace quorvane
