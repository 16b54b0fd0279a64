// Stand-in for the Win32 API subset that the installer calls, for the Linux
// build. Each area declares its calls in its own header below.
#pragma once

#include "win32sim/types.h"
#include "win32sim/memory_api.h"
#include "win32sim/file_api.h"
#include "win32sim/security_api.h"
#include "win32sim/folder_api.h"
#include "win32sim/folder_handle_api.h"
#include "win32sim/find_api.h"
#include "win32sim/volume_api.h"
#include "win32sim/mutex_api.h"
#include "win32sim/string_api.h"
#include "win32sim/system_api.h"
#include "win32sim/resource_api.h"
#include "win32sim/dialog_api.h"
#include "win32sim/gdi_api.h"
#include "win32sim/registry_api.h"
#include "win32sim/dde_api.h"
#include "win32sim/process_api.h"
#include "win32sim/thread_api.h"
