// Test side: DDE Management Library, client side, with a scriptable "progman" peer.
#pragma once

#include <string>
#include <vector>

namespace sim {

}  // namespace sim
