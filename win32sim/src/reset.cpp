#include "internal.h"
#include "win32sim/testapi.h"

namespace sim {

void Reset() {
  ResetMemory();
  ResetFiles();
  ResetSystem();
  ResetResources();
  ResetDialogs();
  ResetGdi();
  ResetRegistry();
  ResetDde();
  ResetProcess();
}

}  // namespace sim
