#include "decimal.h"

namespace quorvane {

double StrToFloat(const std::string&, char) { return 0.0; }
std::string MaxSignalText(int, char) { return std::string(); }

} // namespace quorvane
