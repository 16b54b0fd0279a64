// Security descriptors from their SDDL text, given to a folder at creation or
// set on one afterwards.
#pragma once

#include "win32sim/types.h"

typedef void *PSECURITY_DESCRIPTOR;
typedef HANDLE HLOCAL;
typedef DWORD SECURITY_INFORMATION;
typedef ULONG *PULONG;

#define SDDL_REVISION_1 1
#define OWNER_SECURITY_INFORMATION 0x00000001L
#define GROUP_SECURITY_INFORMATION 0x00000002L
#define DACL_SECURITY_INFORMATION 0x00000004L

#define ERROR_UNKNOWN_REVISION 1305L
#define ERROR_INVALID_OWNER 1307L
#define ERROR_NONE_MAPPED 1332L
#define ERROR_INVALID_ACL 1336L
#define ERROR_INVALID_SID 1337L
#define ERROR_INVALID_SECURITY_DESCR 1338L

// Owner ("O:"), group ("G:") and DACL ("D:" with the flags P, AI, AR and
// NO_ACCESS_CONTROL, then allow and deny ACEs with the usual flags, rights
// and account aliases or S-1-... SIDs). Anything else fails; so does an
// SACL, which the installer never gives. Release the result with LocalFree.
BOOL WINAPI ConvertStringSecurityDescriptorToSecurityDescriptorA(LPCSTR text, DWORD revision,
                                                                 PSECURITY_DESCRIPTOR *descriptor, PULONG size);
// Frees a descriptor from the call above: null on success, else the handle
// back (ERROR_INVALID_HANDLE).
HLOCAL WINAPI LocalFree(HLOCAL memory);
// Sets the owner and the DACL of the file or folder (the one a link points
// to: it follows links, as on Windows). Owner asked for but absent:
// ERROR_INVALID_OWNER; DACL asked for but absent: everyone gets everything.
BOOL WINAPI SetFileSecurityA(LPCSTR path, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR descriptor);
