// DDE Management Library, client side, with a scriptable "progman" peer.
#pragma once

#include "win32sim/types.h"

DECLARE_HANDLE(HSZ);
DECLARE_HANDLE(HCONV);
DECLARE_HANDLE(HDDEDATA);

typedef struct tagCONVCONTEXT {
  UINT cb;
  UINT wFlags;
  UINT wCountryID;
  int iCodePage;
  DWORD dwLangID;
  DWORD dwSecurity;
} CONVCONTEXT, *PCONVCONTEXT;

typedef HDDEDATA(CALLBACK *PFNCALLBACK)(UINT type, UINT format, HCONV conversation, HSZ string1, HSZ string2,
                                        HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);

#define APPCLASS_STANDARD 0x00000000L
#define APPCMD_CLIENTONLY 0x00000010L
#define CBF_FAIL_ADVISES 0x00004000L

#define DMLERR_NO_ERROR 0
#define DMLERR_ADVACKTIMEOUT 0x4000
#define DMLERR_EXECACKTIMEOUT 0x4005
#define DMLERR_DLL_USAGE 0x4004
#define DMLERR_INVALIDPARAMETER 0x4006
#define DMLERR_NO_CONV_ESTABLISHED 0x400a
#define DMLERR_NOTPROCESSED 0x4009
#define DMLERR_SYS_ERROR 0x400f

#define CP_WINANSI 1004
#ifndef CF_TEXT
#define CF_TEXT 1
#endif

#define XCLASS_FLAGS 0x4000
#define XTYP_EXECUTE (0x0050 | XCLASS_FLAGS)
#define XCLASS_NOTIFICATION 0x8000
#define XTYPF_NOBLOCK 0x0002
#define XTYP_DISCONNECT (0x00C0 | XCLASS_NOTIFICATION | XTYPF_NOBLOCK)

UINT WINAPI DdeInitializeA(LPDWORD instance, PFNCALLBACK callback, DWORD commands, DWORD reserved);
HSZ WINAPI DdeCreateStringHandleA(DWORD instance, LPCSTR text, int codePage);
BOOL WINAPI DdeFreeStringHandle(DWORD instance, HSZ string);
HCONV WINAPI DdeConnect(DWORD instance, HSZ service, HSZ topic, PCONVCONTEXT context);
HDDEDATA WINAPI DdeClientTransaction(LPBYTE data, DWORD length, HCONV conversation, HSZ item, UINT format,
                                     UINT type, DWORD timeout, LPDWORD result);
BOOL WINAPI DdeDisconnect(HCONV conversation);
BOOL WINAPI DdeUninitialize(DWORD instance);
UINT WINAPI DdeGetLastError(DWORD instance);
