// Stand-in for <sddl.h>: the SDDL conversion is declared with the other
// security calls.
#pragma once

#include <windows.h>
