#include "lampimages.h"

namespace quorvane {

std::vector<QIcon> MakeLampImages() { return std::vector<QIcon>(5); }

} // namespace quorvane
