#include "lamps.h"

namespace quorvane {

LampState ComputeLamps(double, double) { return LampState{}; }

} // namespace quorvane
