// SPDX-License-Identifier: MIT
#include "lamps.h"

#include <limits>

namespace quorvane {

// k * maximum needs at most 53 + 3 significant bits; with a 64-bit mantissa the
// product is exact, so the threshold test below is the exact comparison of
// 8 * |signal| with k * maximum. Rounding maximum * k / 8 to double first would
// move a lamp at its boundary for maxima such as 0.07.
static_assert(std::numeric_limits<long double>::digits >= 56,
              "lamp thresholds need a mantissa of at least 56 bits");

namespace {

int litLamps(long double maximum, long double magnitude)
{
    if (maximum <= 0)
        return 8;
    const long double scaled = 8 * magnitude; // exact: a power-of-two scale
    int lit = 0;
    for (int k = 1; k <= 8; ++k) {
        if (k * maximum <= scaled)
            lit = k;
    }
    return lit;
}

} // namespace

LampState computeLamps(double maximum, double signal)
{
    LampState state;
    // Minus zero and NaN compare false both ways and so behave like 0.
    if (signal > 0) {
        state.trayIndex = 1;
        state.arrowIndex = 4;
        state.longLit = litLamps(maximum, signal);
    } else if (signal < 0) {
        state.trayIndex = 2;
        state.arrowIndex = 3;
        state.shortLit = litLamps(maximum, -static_cast<long double>(signal));
    }
    return state;
}

} // namespace quorvane
