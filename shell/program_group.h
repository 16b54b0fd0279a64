// The Program Manager group "MoraLUME" with its seven items, built by DDE
// execute commands sent to the shell's "progman" service.
#pragma once

#include <windows.h>

constexpr size_t kDdeCommandSize = 520;

// Module-wide DDE state: the instance identifier (0 when none) and the
// "progman" string handle that serves as service and topic.
extern DWORD g_ddeInstance;
extern HSZ g_progmanName;

// 0 when every command up to the last text item was accepted, -1 otherwise.
// Best effort: the caller goes on either way.
int CreateProgramGroup();
// Builds in `commandBuffer` (kDdeCommandSize bytes) and sends the item of a
// text file beside the main program; 0 when the shell accepted it.
int AddTextFileItem(char *commandBuffer, const char *addItemOpening, const char *fileName, const char *namePiece,
                    HCONV conversation);
// The client callback: nothing to serve, so no data for any transaction.
HDDEDATA CALLBACK DdeCallback(UINT type, UINT format, HCONV conversation, HSZ string1, HSZ string2, HDDEDATA data,
                              ULONG_PTR data1, ULONG_PTR data2);
