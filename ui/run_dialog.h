// Shows a dialog modally in the template variant of the current language.
#pragma once

#include <windows.h>

// The dialog's result, or -1 when no template could be loaded.
LONG RunDialog(HINSTANCE instance, WORD baseTemplateId, HWND owner, DLGPROC procedure);
