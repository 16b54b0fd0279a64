// The payload reader: a forward-only byte source that inflates the archive
// carried in resource 512/301 on demand. One reader per process.
#pragma once

#include <windows.h>

enum PayloadOpenResult { kPayloadOpened, kPayloadNotFound, kPayloadOutOfMemory, kPayloadCorrupt };

// Finds and locks the resource, checks it against its checksum resource when
// there is one (kPayloadCorrupt when it does not match or is short), starts
// inflation and reads the archive header. On every result but kPayloadOpened
// nothing stays held.
PayloadOpenResult OpenPayload(HINSTANCE instance);
// Bytes delivered, 0..count; fewer than count means the archive cannot be
// continued (input exhausted or the stream is damaged). 0 when not open.
// While the archive is inflated ahead (payload/inflate_ahead.h) the bytes
// come from there, the same bytes in the same order.
LONG ReadPayload(void *buffer, DWORD count);
// Inflates the next bytes of the archive into the buffer, with the same
// answer as ReadPayload but counting nothing: for ReadPayload and for the
// inflating thread, never for both at once.
DWORD InflatePayload(void *buffer, DWORD count);
// Stops any inflating ahead, then releases the input window, zlib's state
// and the resource; safe to call when not open.
void ClosePayload();

extern WORD g_payloadFileCount;   // from the archive header
extern DWORD g_payloadTotalSize;  // from the archive header
extern LONG g_payloadDelivered;   // bytes delivered since opening, header excluded
