#include "payload/copy_journal.h"

#include <cstring>

#include "core/bounded_string.h"
#include "core/global_block.h"
#include "core/install_log.h"
#include "core/installer_state.h"
#include "payload/set_aside.h"
#include "shell/installed_records.h"

namespace {

// Each note: kind, flag, token (4 bytes), the path below the destination
// with its NUL, then the note's own length (2 bytes) for reading backwards.
enum NoteKind : char { kSubfolderReady = 'M', kSetAside = 'S', kFileWritten = 'W' };
const size_t kNoteFixedSize = 1 + 1 + 4 + 2;
const size_t kFirstJournalSize = 4096;

char *g_journal = nullptr;
size_t g_journalSize = 0;
size_t g_journalUsed = 0;
char g_firstFolderMade[kPathSize] = "";  // of the destination's path, or empty
char g_lastFolderMade[kPathSize] = "";

// `path` as noted: the part below the destination.
const char *BelowDestination(const char *path) {
  size_t length = strlen(g_destinationDir);
  if (strncmp(path, g_destinationDir, length) != 0) return path;
  path += length;
  return *path == '\\' || *path == '/' ? path + 1 : path;
}

void Append(NoteKind kind, bool flag, DWORD token, const char *path) {
  const char *below = BelowDestination(path);
  size_t noteSize = kNoteFixedSize + strlen(below) + 1;
  if (!g_journal || g_journalUsed + noteSize > g_journalSize) return;  // never: the room was reserved
  char *note = g_journal + g_journalUsed;
  note[0] = kind;
  note[1] = flag ? 1 : 0;
  memcpy(note + 2, &token, 4);
  memcpy(note + 6, below, noteSize - kNoteFixedSize);
  note[noteSize - 2] = static_cast<char>(noteSize & 0xFF);
  note[noteSize - 1] = static_cast<char>(noteSize >> 8);
  g_journalUsed += noteSize;
}

void FreeJournal() {
  FreeLocked(g_journal);
  g_journal = nullptr;
  g_journalSize = g_journalUsed = 0;
}

// Keeps the first failure's name; later ones only make the result false.
bool Failed(char *notRestored, size_t size, bool *restored, const char *what) {
  LogLine("Undo: could not put back %s", what);
  if (*restored) CopyString(notRestored, size, what);
  *restored = false;
  return false;
}

void UndoNote(const char *note, char *notRestored, size_t size, bool *restored) {
  char path[kPathSize];
  if (!JoinPath(path, sizeof path, g_destinationDir, note + 6)) return;
  DWORD token;
  memcpy(&token, note + 2, 4);
  switch (note[0]) {
    case kFileWritten: {
      if (!DeleteFileA(path) && GetLastError() != ERROR_FILE_NOT_FOUND)
        Failed(notRestored, size, restored, path);
      else
        LogLine("Undo: file removed: %s", path);
      char key[kPathSize * 2];
      if (!note[1]) break;
      if (!RemoveInstalledRecord(path, key, sizeof key))
        Failed(notRestored, size, restored, key);
      else
        LogLine("Undo: record of %s removed", note + 6);
      break;
    }
    case kSetAside:
      if (!PutBackFile(path, token))
        Failed(notRestored, size, restored, path);
      else
        LogLine("Undo: file put back: %s", path);
      break;
    case kSubfolderReady:
      if (!note[1]) break;
      if (!RemoveDirectoryA(path))
        Failed(notRestored, size, restored, path);
      else
        LogLine("Undo: folder removed: %s", path);
      break;
  }
}

// The deepest folder made, then each folder above it up to the first one
// made: all made by this run, since nothing was below a folder just made.
void RemoveDestinationFolders(char *notRestored, size_t size, bool *restored) {
  if (g_firstFolderMade[0] == '\0') return;
  size_t firstLength = strlen(g_firstFolderMade);
  for (size_t length = strlen(g_lastFolderMade); length >= firstLength;) {
    g_lastFolderMade[length] = '\0';
    if (!RemoveDirectoryA(g_lastFolderMade)) {
      Failed(notRestored, size, restored, g_lastFolderMade);
      break;
    }
    LogLine("Undo: folder removed: %s", g_lastFolderMade);
    if (length == firstLength) break;
    while (length > firstLength && g_lastFolderMade[length - 1] != '\\') --length;
    while (length > firstLength && g_lastFolderMade[length - 1] == '\\') --length;
  }
  g_firstFolderMade[0] = g_lastFolderMade[0] = '\0';
}

}  // namespace

void BeginCopyJournal() {
  FreeJournal();
  g_firstFolderMade[0] = g_lastFolderMade[0] = '\0';
  ForgetRecordKeysMade();
}

void NoteDestinationFolderMade(const char *path) {
  if (g_firstFolderMade[0] == '\0') CopyString(g_firstFolderMade, sizeof g_firstFolderMade, path);
  CopyString(g_lastFolderMade, sizeof g_lastFolderMade, path);
}

bool ReserveJournalNotes(const char *target, size_t count) {
  size_t needed = g_journalUsed + count * (kNoteFixedSize + strlen(BelowDestination(target)) + 1);
  if (g_journal && needed <= g_journalSize) return true;
  size_t size = g_journalSize ? g_journalSize * 2 : kFirstJournalSize;
  while (size < needed) size *= 2;
  char *grown = static_cast<char *>(AllocLocked(size));
  if (!grown) return false;
  if (g_journal) memcpy(grown, g_journal, g_journalUsed);
  FreeLocked(g_journal);
  g_journal = grown;
  g_journalSize = size;
  return true;
}

void NoteSubfolderReady(const char *subfolder, bool made) { Append(kSubfolderReady, made, 0, subfolder); }
void NoteSetAside(const char *target, DWORD token) { Append(kSetAside, false, token, target); }
void NoteFileWritten(const char *target, bool recordMade) { Append(kFileWritten, recordMade, 0, target); }

bool UndoCopy(char *notRestored, size_t size) {
  bool restored = true;
  if (g_journalUsed > 0 || g_firstFolderMade[0] != '\0') LogLine("Undo: putting back what was there before");
  size_t end = g_journalUsed;
  while (end >= kNoteFixedSize) {
    size_t noteSize = static_cast<unsigned char>(g_journal[end - 2]) | (static_cast<unsigned char>(g_journal[end - 1]) << 8);
    end -= noteSize;
    UndoNote(g_journal + end, notRestored, size, &restored);
  }
  FreeJournal();
  char key[kPathSize * 2];
  if (!RemoveRecordKeysMade(key, sizeof key)) Failed(notRestored, size, &restored, key);
  RemoveDestinationFolders(notRestored, size, &restored);
  if (!restored) LogLine("Undo: not all could be put back");
  return restored;
}

void FinishCopy() {
  RemoveSetAsideFiles(g_destinationDir);
  for (size_t start = 0; start < g_journalUsed;) {
    const char *note = g_journal + start;
    size_t length = strlen(note + 6);
    char folder[kPathSize];
    if (note[0] == kSubfolderReady && JoinPath(folder, sizeof folder, g_destinationDir, note + 6))
      RemoveSetAsideFiles(folder);
    start += kNoteFixedSize + length + 1;
  }
  FreeJournal();
  g_firstFolderMade[0] = g_lastFolderMade[0] = '\0';
  ForgetRecordKeysMade();
}
