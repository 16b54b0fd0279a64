#include "internal.h"
#include "win32sim/testapi.h"

namespace sim {

void Reset() {
  ResetMemory();
  ResetFiles();
  ResetSystem();
  ResetResources();
}

}  // namespace sim
