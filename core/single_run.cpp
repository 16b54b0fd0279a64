#include "core/single_run.h"

namespace {

// In the Global namespace, so that administrators in other sessions (fast
// user switching, remote desktops) are kept apart too.
const char kRunMutexName[] = "Global\\MoraLUME Setup";

}  // namespace

HANDLE ClaimSingleRun() {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, kRunMutexName);
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return nullptr;
  }
  return mutex;
}
