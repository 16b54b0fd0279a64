// Test side: GDI: device contexts, brushes, fonts and drawing, recorded for tests.
#pragma once

#include <string>
#include <vector>

namespace sim {

}  // namespace sim
