#include "core/error_box.h"

#include <windows.h>

#include "core/messages.h"

void ShowErrorText(const char *text) { MessageBoxA(nullptr, text, GetMessageText("err"), MB_OK); }

void ShowErrorMessage(const char *key) { ShowErrorText(GetMessageText(key)); }
