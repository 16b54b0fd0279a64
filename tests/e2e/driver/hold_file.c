/*
 * Holds a file as another program may hold one while an update runs.
 *
 *   hold_file.exe hold PATH MARKER   opens PATH without any sharing, then creates MARKER and keeps PATH
 *                                    open until MARKER is deleted; exit code 0 when it held the file
 *   hold_file.exe try PATH           opens PATH asking for every sharing; prints "opened" or
 *                                    "error N" (N from GetLastError), exit code 0 or 1
 *
 * "try" from a second process shows that the hold is real: Wine enforces share modes between programs.
 */
#include <stdio.h>
#include <string.h>
#include <windows.h>

enum { kPollMs = 100 };

static int Try(const char *path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) {
    printf("error %lu\n", (unsigned long)GetLastError());
    return 1;
  }
  CloseHandle(file);
  printf("opened\n");
  return 0;
}

static int Hold(const char *path, const char *markerPath) {
  HANDLE file = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  HANDLE marker;
  if (file == INVALID_HANDLE_VALUE) {
    fprintf(stderr, "cannot open %s: %lu\n", path, (unsigned long)GetLastError());
    return 1;
  }
  marker = CreateFileA(markerPath, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
  if (marker == INVALID_HANDLE_VALUE) {
    fprintf(stderr, "cannot create %s: %lu\n", markerPath, (unsigned long)GetLastError());
    CloseHandle(file);
    return 1;
  }
  CloseHandle(marker);
  while (GetFileAttributesA(markerPath) != INVALID_FILE_ATTRIBUTES) Sleep(kPollMs);
  CloseHandle(file);
  return 0;
}

int main(int argc, char **argv) {
  if (argc == 3 && strcmp(argv[1], "try") == 0) return Try(argv[2]);
  if (argc == 4 && strcmp(argv[1], "hold") == 0) return Hold(argv[2], argv[3]);
  fprintf(stderr, "usage: hold_file hold PATH MARKER | hold_file try PATH\n");
  return 2;
}
