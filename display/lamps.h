// SPDX-License-Identifier: MIT
#pragma once
// The lamp arithmetic of the signal display, exact at the k/8 boundaries.

namespace quorvane {

/// What the 16 lamps, the arrow and the tray picture show for one signal.
struct LampState {
    int longLit = 0;     ///< lamps 1..longLit of the long row show image 1
    int shortLit = 0;    ///< lamps 1..shortLit of the short row show image 2
    int trayIndex = 0;   ///< 1 positive, 2 negative, 0 zero
    int arrowIndex = -1; ///< 4 up, 3 down, -1 keep what it showed
};

/// Lit lamps of the signal's row: the largest k in 1..8 with k*maximum <= 8*|signal|
/// (the signal's sign decides the row), compared exactly. A maximum of 0 or below
/// lights all eight lamps of the signal's side for any non-zero signal.
LampState computeLamps(double maximum, double signal);

} // namespace quorvane
