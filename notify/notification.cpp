// SPDX-License-Identifier: MIT
#include "notify/notification.h"

namespace quorvane {

Notifier::~Notifier() = default;

} // namespace quorvane
