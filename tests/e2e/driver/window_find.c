#include "window_find.h"

#include <string.h>

enum { kPollMs = 50, kMessageTimeoutMs = 5000 };

void ReadWindowText(HWND window, char *buffer, int size) {
  DWORD_PTR copied = 0;
  buffer[0] = '\0';
  /* A timeout keeps a busy or hung installer from hanging the driver too. */
  if (!SendMessageTimeoutA(window, WM_GETTEXT, (WPARAM)size, (LPARAM)buffer, SMTO_ABORTIFHUNG,
                           kMessageTimeoutMs, &copied)) {
    buffer[0] = '\0';
    return;
  }
  if ((int)copied >= size) copied = (DWORD_PTR)(size - 1);
  buffer[copied] = '\0';
}

typedef struct {
  const char *caption;
  HWND found;
} DialogSearch;

static BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
  DialogSearch *search = (DialogSearch *)param;
  char className[64];
  char caption[512];
  if (!IsWindowVisible(window)) return TRUE;
  if (!GetClassNameA(window, className, sizeof className) || strcmp(className, "#32770") != 0) return TRUE;
  ReadWindowText(window, caption, sizeof caption);
  if (strcmp(caption, search->caption) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindDialog(const char *caption) {
  DialogSearch search = {caption, NULL};
  EnumWindows(MatchDialog, (LPARAM)&search);
  return search.found;
}

HWND WaitForDialog(const char *caption, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND found = FindDialog(caption);
    if (found) return found;
    if (GetTickCount() - start >= timeoutMs) return NULL;
    Sleep(kPollMs);
  }
}

int WaitUntilGone(HWND dialog, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (!IsWindow(dialog) || !IsWindowVisible(dialog)) return 1;
    if (GetTickCount() - start >= timeoutMs) return 0;
    Sleep(kPollMs);
  }
}

typedef struct {
  const char *className;
  TopLevelVisitor visit;
  void *context;
} ClassWalk;

static BOOL CALLBACK VisitIfClass(HWND window, LPARAM param) {
  ClassWalk *walk = (ClassWalk *)param;
  char className[256];
  if (walk->className) {
    if (!GetClassNameA(window, className, sizeof className) || strcmp(className, walk->className) != 0)
      return TRUE;
  }
  walk->visit(window, walk->context);
  return TRUE;
}

void ForEachTopLevel(const char *className, TopLevelVisitor visit, void *context) {
  ClassWalk walk = {className, visit, context};
  EnumWindows(VisitIfClass, (LPARAM)&walk);
}
