#include "progman_link.h"

#include <ddeml.h>
#include <string.h>

enum { kPollMs = 100, kTransactionTimeoutMs = 10000 };

static HDDEDATA CALLBACK IgnoreDde(UINT type, UINT format, HCONV conversation, HSZ topic, HSZ item, HDDEDATA data,
                                   ULONG_PTR data1, ULONG_PTR data2) {
  (void)type, (void)format, (void)conversation, (void)topic, (void)item, (void)data, (void)data1, (void)data2;
  return NULL;
}

typedef struct {
  DWORD instance;
  HSZ service;
  HCONV conversation;
} ProgmanLink;

static int OpenLink(ProgmanLink *link) {
  memset(link, 0, sizeof *link);
  if (DdeInitializeA(&link->instance, IgnoreDde, APPCLASS_STANDARD | APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
    return 0;
  link->service = DdeCreateStringHandleA(link->instance, "progman", CP_WINANSI);
  if (link->service) link->conversation = DdeConnect(link->instance, link->service, link->service, NULL);
  return link->conversation != NULL;
}

static void CloseLink(ProgmanLink *link) {
  if (link->conversation) DdeDisconnect(link->conversation);
  if (link->service) DdeFreeStringHandle(link->instance, link->service);
  if (link->instance) DdeUninitialize(link->instance);
}

int WaitForProgman(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    ProgmanLink link;
    int up = OpenLink(&link);
    CloseLink(&link);
    if (up) return 1;
    if (GetTickCount() - start >= timeoutMs) return 0;
    Sleep(kPollMs);
  }
}

long ExecuteProgmanCommand(const char *command) {
  ProgmanLink link;
  long result = -1;
  if (OpenLink(&link)) {
    DWORD status = 0;
    HDDEDATA done = DdeClientTransaction((LPBYTE)command, (DWORD)strlen(command) + 1, link.conversation, NULL, CF_TEXT,
                                         XTYP_EXECUTE, kTransactionTimeoutMs, &status);
    result = done ? 0 : (long)DdeGetLastError(link.instance);
  }
  CloseLink(&link);
  return result;
}
