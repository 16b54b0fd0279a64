// What the copy has changed, step by step, so that a copy that fails part-way
// can be undone and the machine left as it was, an earlier installation
// included.
#pragma once

#include <windows.h>

#include <cstddef>

// Forgets any earlier journal; the destination's folders are noted afresh.
void BeginCopyJournal();

// The first folder of the destination's path that the installer made: it and
// every folder below it down to the destination are its own to remove.
void NoteDestinationFolderMade(const char *path);

// Room for `count` more notes about `target` (or a folder above it), taken
// before its steps, so that a step once taken is always noted. False when
// there is no memory for them: the steps must not be taken then.
bool ReserveJournalNotes(const char *target, size_t count);
// Notes within the room reserved: a subfolder made for `target`, or one
// there already and taken over (`made` false: nothing to undo, but files set
// aside in it go at the end); `target` renamed aside with `token`; `target`
// created, with a new record or not.
void NoteSubfolderReady(const char *subfolder, bool made);
void NoteSetAside(const char *target, DWORD token);
void NoteFileWritten(const char *target, bool recordMade);

// Undoes every noted step, the last first, and forgets them. False when
// something could not be put back; `notRestored` then names the first such
// file, folder or key (at most `size` bytes).
bool UndoCopy(char *notRestored, size_t size);

// The copy is complete: what was set aside goes, and the journal is freed.
void FinishCopy();
