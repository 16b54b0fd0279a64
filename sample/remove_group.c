#include "remove_group.h"

#include <windows.h>

#define DDE_TIMEOUT_MS 10000

static HDDEDATA CALLBACK NoService(UINT type, UINT format, HCONV conversation, HSZ string1, HSZ string2,
                                   HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2) {
  (void)type, (void)format, (void)conversation, (void)string1, (void)string2, (void)data, (void)data1, (void)data2;
  return NULL;
}

int RemoveProgramGroup(void) {
  char command[] = "[DeleteGroup(MoraLUME)]";
  DWORD instance = 0, result = 0;
  HSZ progman;
  int accepted = 0;
  if (DdeInitializeA(&instance, NoService, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 0;
  progman = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
  if (progman) {
    HCONV conversation = DdeConnect(instance, progman, progman, NULL);
    if (conversation) {
      accepted = DdeClientTransaction((LPBYTE)command, sizeof command, conversation, NULL, CF_TEXT, XTYP_EXECUTE,
                                      DDE_TIMEOUT_MS, &result) != NULL;
      DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(instance, progman);
  }
  DdeUninitialize(instance);
  return accepted;
}
