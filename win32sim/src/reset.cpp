#include "event_log.h"
#include "internal.h"
#include "win32sim/testapi.h"

namespace sim {

void Reset() {
  ResetMemory();
  ResetFolderHandles();
  ResetFiles();
  ResetSystem();
  ResetResources();
  ResetDialogs();
  ResetGdi();
  ResetRegistry();
  ResetDde();
  ResetProcess();
  ResetDllSearch();
  ResetSecurity();
  ResetFolders();
  ResetSearches();
  ResetVolumes();
  ResetMutexes();
  ResetThreads();
  ResetEvents();
}

}  // namespace sim
