// SPDX-License-Identifier: MIT
#pragma once
// The pictures of the lamp image list, drawn in code so they stay crisp at any scale.

#include <QIcon>
#include <vector>

namespace quorvane {

/// The five pictures of ImageList1 in index order: 0 white lamp, 1 green lamp,
/// 2 red lamp, 3 violet down arrow, 4 green up arrow. 16x16 logical pixels, drawn
/// at 1x, 2x and 3x device pixel ratios into each QIcon, on a transparent background.
std::vector<QIcon> makeLampImages();

} // namespace quorvane
