// Registry: an in-memory key tree.
#pragma once

#include "win32sim/types.h"
