// DDE Management Library, client side, with a scriptable "progman" peer.
#pragma once

#include "win32sim/types.h"
