// Inflating the archive ahead of the extraction, on a thread of its own, into
// a small ring of buffers, while the extraction's thread creates, records and
// writes the files. The bytes and where the stream ends are the payload
// reader's own (InflatePayload): ReadPayload hands out the same bytes either
// way. The inflating thread touches only the stream and the ring, never a
// file, key or window.
#pragma once

#include <windows.h>

// Starts the thread on an open payload; false when a thread or its events
// cannot be had, and ReadPayload then inflates as it reads.
bool StartInflatingAhead();
// Whether ReadPayload's bytes come from the ring: from a successful start
// until ForgetInflatingAhead.
bool ReadsComeFromAhead();
// The next bytes of the archive, up to count; fewer once the stream cannot
// be continued, and none once the thread is stopped.
DWORD TakeInflatedAhead(void *buffer, DWORD count);
// Ends the thread wherever it is, waits for it and closes everything it
// used; the ring's bytes not yet taken are dropped. Safe when not started.
void StopInflatingAhead();
// After stopping: later reads inflate inline again (a new opening).
void ForgetInflatingAhead();
