#include "core/error_box.h"

#include <windows.h>

#include "core/install_log.h"
#include "core/installer_state.h"
#include "core/messages.h"

void ShowErrorText(const char *text) {
  LogLine("Error: %s", text);
  // A box nobody can see would hold the run, and its exit code, forever.
  if (g_noMessageBoxes) return;
  MessageBoxA(nullptr, text, GetMessageText("err"), MB_OK);
}

void ShowErrorMessage(const char *key) { ShowErrorText(GetMessageText(key)); }
