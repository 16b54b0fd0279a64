/* A DDE conversation with the shell's Program Manager service "progman". */
#ifndef E2E_PROGMAN_LINK_H
#define E2E_PROGMAN_LINK_H

#include <windows.h>

/* Polls until a conversation with "progman" can be opened; nonzero when it could within `timeoutMs`. */
int WaitForProgman(DWORD timeoutMs);

/* Sends one execute command; 0 when accepted, else the DDE error code (or -1 without a server). */
long ExecuteProgmanCommand(const char *command);

#endif
