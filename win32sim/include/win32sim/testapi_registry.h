// Test side: Registry: an in-memory key tree.
#pragma once

#include <string>
#include <vector>

namespace sim {

}  // namespace sim
