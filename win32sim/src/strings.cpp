// The kernel's lstr calls.
#include <windows.h>

#include <cstring>

int WINAPI lstrlenA(LPCSTR text) { return text ? static_cast<int>(strlen(text)) : 0; }

LPSTR WINAPI lstrcpynA(LPSTR destination, LPCSTR source, int size) {
  if (!destination || !source || size <= 0) return nullptr;
  int at = 0;
  for (; at < size - 1 && source[at]; ++at) destination[at] = source[at];
  destination[at] = '\0';
  return destination;
}
