/*
 * registry_link.exe KEY TARGET: makes HKEY_LOCAL_MACHINE\KEY a registry link to TARGET, a native
 * path such as \Registry\Machine\Software\Victim, as a hostile program would plant one where an
 * uninstall deletes keys (Wine's reg cannot make links). Exit code 0 when the link was made.
 */
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

int wmain(int argc, wchar_t **argv) {
  HKEY link;
  DWORD disposition;
  LONG result;
  if (argc != 3) {
    fprintf(stderr, "usage: registry_link KEY TARGET\n");
    return 2;
  }
  result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, argv[1], 0, NULL, REG_OPTION_CREATE_LINK,
                           KEY_ALL_ACCESS | KEY_CREATE_LINK, NULL, &link, &disposition);
  if (result != ERROR_SUCCESS) {
    fprintf(stderr, "RegCreateKeyExW: %ld\n", (long)result);
    return 1;
  }
  /* The target without its terminating NUL, as links hold it. */
  result = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, (const BYTE *)argv[2],
                          (DWORD)(wcslen(argv[2]) * sizeof(wchar_t)));
  RegCloseKey(link);
  if (result != ERROR_SUCCESS) {
    fprintf(stderr, "RegSetValueExW: %ld\n", (long)result);
    return 1;
  }
  printf("%ls -> %ls\n", argv[1], argv[2]);
  return 0;
}
