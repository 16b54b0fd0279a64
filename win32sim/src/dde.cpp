#include <windows.h>

#include "internal.h"
#include "win32sim/testapi.h"

namespace sim {

void ResetDde() {}

}  // namespace sim
