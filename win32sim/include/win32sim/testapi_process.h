// Test side: Starting programs, the Windows version, short path names.
#pragma once

#include <string>
#include <vector>

namespace sim {

}  // namespace sim
