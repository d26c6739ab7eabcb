// SPDX-License-Identifier: MIT
// A second copy of the MetaTrader 5 advisor in the same process: the same
// source once more, in a namespace of its own, so that its globals and inputs
// are its own while its built-ins reach the one simulated terminal.
#include "mql5.h"

namespace second {
#include "Quorvane_mq5.cpp"
} // namespace second
