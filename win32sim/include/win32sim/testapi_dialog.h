// Test side: Dialog manager, windows, message boxes, timers and the tick count.
#pragma once

#include <string>
#include <vector>

namespace sim {

}  // namespace sim
