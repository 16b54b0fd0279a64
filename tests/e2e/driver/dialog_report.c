#include "dialog_report.h"

#include <stdlib.h>
#include <string.h>

#include "json_out.h"
#include "window_find.h"

enum { kTextLimit = 16384, kMessageTimeoutMs = 5000 };

HWND FocusedWindow(HWND dialog) {
  GUITHREADINFO info;
  memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, NULL), &info)) return NULL;
  return info.hwndFocus;
}

void ReportDialog(const char *event, HWND dialog) {
  char caption[512];
  RECT rect;
  DWORD pid = 0;
  ReadWindowText(dialog, caption, sizeof caption);
  GetWindowRect(dialog, &rect);
  GetWindowThreadProcessId(dialog, &pid);
  JsonBegin(event);
  JsonString("caption", caption);
  JsonInt("hwnd", (long long)(INT_PTR)dialog);
  JsonInt("pid", pid);
  JsonRect("rect", rect.left, rect.top, rect.right, rect.bottom);
  JsonEnd();
}

static int IsCheckBox(const char *className, LONG style) {
  LONG kind = style & BS_TYPEMASK;
  return _stricmp(className, "Button") == 0 &&
         (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE || kind == BS_AUTO3STATE ||
          kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON);
}

typedef struct {
  HWND focus;
  char *text;
} ControlWalk;

static BOOL CALLBACK ReportControl(HWND control, LPARAM param) {
  ControlWalk *walk = (ControlWalk *)param;
  char className[64];
  LONG style = GetWindowLongA(control, GWL_STYLE);
  GetClassNameA(control, className, sizeof className);
  ReadWindowText(control, walk->text, kTextLimit);
  JsonBegin("control");
  JsonInt("id", (unsigned short)GetDlgCtrlID(control));
  JsonString("class", className);
  JsonString("text", walk->text);
  JsonInt("style", (unsigned long)style);
  JsonBool("visible", IsWindowVisible(control));
  JsonBool("enabled", IsWindowEnabled(control));
  JsonBool("focus", control == walk->focus);
  if (IsCheckBox(className, style)) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &state);
    JsonInt("checked", (long long)state);
  }
  JsonEnd();
  return TRUE;
}

void ReportControls(HWND dialog) {
  ControlWalk walk = {FocusedWindow(dialog), malloc(kTextLimit)};
  if (!walk.text) return;
  EnumChildWindows(dialog, ReportControl, (LPARAM)&walk);
  free(walk.text);
}
