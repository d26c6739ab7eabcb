// SPDX-License-Identifier: MIT
#pragma once
// The name the program's message boxes carry, given without touching the main
// window's caption.

#include <string>

namespace quorvane {

/// Names the application after its executable ("quorvane" -> "Quorvane"), so
/// message boxes are titled with it. Set as the application name, not as the
/// display name: Qt appends an explicitly set display name to every window
/// title, which would put " — Quorvane" behind the layout's caption.
void nameApplication(const std::string& exePath);

} // namespace quorvane
