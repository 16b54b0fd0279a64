#include "payload/extraction.h"

#include <cstring>

#include "core/bounded_string.h"
#include "core/error_box.h"
#include "core/format_text.h"
#include "core/global_block.h"
#include "core/install_log.h"
#include "core/installer_state.h"
#include "core/messages.h"
#include "payload/archive_format.h"
#include "payload/copy_journal.h"
#include "payload/entry_name.h"
#include "payload/folder_rights.h"
#include "payload/inflate_ahead.h"
#include "payload/payload_reader.h"
#include "payload/progress_bar.h"
#include "payload/set_aside.h"
#include "shell/installed_records.h"

bool g_copyRestored = true;

namespace {

const DWORD kChunkSize = 2048;
const DWORD kLargestDataSize = 0x7FFFFFFF;
const char kUnextractedRecord[] = "\\DEF.TVD";
// Room for the longest message template with a number and a full path, and
// for what could not be put back after it.
const size_t kErrorTextSize = 1280;

struct Entry {
  char name[kMaxEntryNameLength];
  DWORD dataSize;
  char target[kPathSize];
  char subdirectory[kPathSize];
};

// The message of a failed copy, shown once the copy is undone.
char g_failureText[kErrorTextSize];

bool ReadExactly(void *buffer, DWORD count) { return ReadPayload(buffer, count) == static_cast<LONG>(count); }

bool Fail(const char *key) {
  CopyString(g_failureText, sizeof g_failureText, GetMessageText(key));
  return false;
}

bool FailCreating(LONG result, const char *shownPath) {
  FormatText(g_failureText, sizeof g_failureText, GetMessageText("errDest"), static_cast<int>(result), shownPath);
  return false;
}

// Name length, name and data size of the next entry; false on a short read
// or a header that the format does not allow.
bool ReadEntryHeader(Entry &entry) {
  BYTE nameLength = 0;
  unsigned char size[4];
  if (!ReadExactly(&nameLength, 1) || nameLength == 0 || nameLength > kMaxEntryNameLength) return false;
  if (!ReadExactly(entry.name, nameLength) || !ReadExactly(size, sizeof size)) return false;
  entry.dataSize = size[0] | (size[1] << 8) | (size[2] << 16) | (static_cast<DWORD>(size[3]) << 24);
  return entry.dataSize <= kLargestDataSize && IsSafeEntryName(entry.name, nameLength);
}

// Copies the entry's data into the open file.
bool CopyEntryData(HFILE file, DWORD remaining, char *buffer, HWND dialog, DWORD *lastRedraw) {
  while (remaining != 0) {
    DWORD chunk = remaining < kChunkSize ? remaining : kChunkSize;
    if (!ReadExactly(buffer, chunk)) return Fail("corData");
    if (_hwrite(file, buffer, static_cast<LONG>(chunk)) != static_cast<LONG>(chunk)) return Fail("errDest2");
    remaining -= chunk;
    RedrawProgress(dialog, lastRedraw, buffer, kChunkSize);
  }
  return true;
}

HFILE CreateNewFile(const char *target) {
  HANDLE created = CreateFileA(target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               CREATE_NEW, 0, nullptr);
  return created == INVALID_HANDLE_VALUE ? HFILE_ERROR : static_cast<HFILE>(reinterpret_cast<INT_PTR>(created));
}

// A new file is made with one look-up of its name, which Wine pays for with
// a scan of the whole folder. Only when a file is there already does it go
// the long way: that file is renamed aside, to be put back should the copy
// fail, and the new one made in its place. A folder in the way is never
// moved. Not OpenFile: it refuses full paths of 128 characters or more.
HFILE CreateTargetFile(const char *target) {
  HFILE created = CreateNewFile(target);
  if (created != HFILE_ERROR || GetLastError() != ERROR_FILE_EXISTS) return created;
  DWORD attributes = GetFileAttributesA(target);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return HFILE_ERROR;
  DWORD token;
  if (!SetAsideFile(target, &token)) return HFILE_ERROR;
  NoteSetAside(target, token);
  char aside[kPathSize];
  if (IsLogging() && FormAsideName(target, token, aside, sizeof aside))
    LogLine("File there already, set aside as %s", aside);
  return CreateNewFile(target);
}

// The entry's subfolder, made or protected once for the entries that follow
// in it (readyFolder); false when one already there cannot be protected.
bool ReadySubdirectory(const Entry &entry, char *readyFolder) {
  if (entry.subdirectory[0] == '\0' || strcmp(entry.subdirectory, readyFolder) == 0) return true;
  bool made = false;
  if (!MakeFolderOurs(entry.subdirectory, &made)) return false;
  NoteSubfolderReady(entry.subdirectory, made);
  LogLine(made ? "Folder made: %s" : "Folder there already, its rights now the installer's: %s", entry.subdirectory);
  return CopyString(readyFolder, kPathSize, entry.subdirectory);
}

// Every step that changes the disk is noted before the next one, in room
// reserved for it, so that a failure anywhere can be undone.
bool ExtractEntry(HWND dialog, DWORD *lastRedraw, char *readyFolder) {
  Entry entry;
  if (!ReadEntryHeader(entry)) return Fail("corData");
  if (!BuildTargetPath(g_destinationDir, entry.name, entry.target, entry.subdirectory, kPathSize)) {
    // Never cut into a shorter path: name the file as it would have been.
    char shown[kPathSize * 2];
    FormatText(shown, sizeof shown, "%s\\%s", g_destinationDir, entry.name);
    return FailCreating(HFILE_ERROR, shown);
  }
  // Three notes at most: the subfolder, the file set aside, the file.
  if (!ReserveJournalNotes(entry.target, 3)) return Fail("noMem");
  char *buffer = static_cast<char *>(AllocLocked(kChunkSize));
  if (!buffer) return Fail("noMem");
  bool folderReady = ReadySubdirectory(entry, readyFolder);
  if (g_mainProgramPath[0] == '\0') CopyString(g_mainProgramPath, kPathSize, entry.target);
  // A folder that cannot be made ours fails its file as one not made does.
  HFILE file = folderReady ? CreateTargetFile(entry.target) : HFILE_ERROR;
  if (file == HFILE_ERROR) {
    FreeLocked(buffer);
    return FailCreating(HFILE_ERROR, entry.target);
  }
  NoteFileWritten(entry.target, RecordInstalledFile(entry.target));
  bool copied = CopyEntryData(file, entry.dataSize, buffer, dialog, lastRedraw);
  if (copied) _hwrite(file, buffer, 0);  // cut the file at its end
  _lclose(file);
  if (copied) LogLine("File written: %s, %u bytes", entry.target, static_cast<unsigned>(entry.dataSize));
  FreeLocked(buffer);
  return copied;
}

bool ExtractEntries(HWND dialog) {
  DWORD lastRedraw = GetTickCount();
  char readyFolder[kPathSize] = "";
  for (WORD index = 0; index < g_payloadFileCount; ++index)
    if (!ExtractEntry(dialog, &lastRedraw, readyFolder)) return false;
  char record[kPathSize];
  if (CopyString(record, sizeof record, g_destinationDir) && AppendString(record, sizeof record, kUnextractedRecord))
    RecordInstalledFile(record);
  return true;
}

// The machine goes back to how it was before the message is shown: a box
// left waiting, or a run killed while it waits, leaves nothing half-done.
void UndoAndReport() {
  char notRestored[kPathSize * 2] = "";
  g_copyRestored = UndoCopy(notRestored, sizeof notRestored);
  if (!g_copyRestored) {
    char addition[kErrorTextSize];
    FormatText(addition, sizeof addition, GetMessageText("notRestored"), notRestored);
    AppendString(g_failureText, sizeof g_failureText, "\r\n\r\n");
    AppendString(g_failureText, sizeof g_failureText, addition);
  }
  ShowErrorText(g_failureText);
}

}  // namespace

LONG ExtractArchive(HWND dialog) {
  g_copyRestored = true;
  OpenInstalledRecords();
  // The next bytes inflate while this thread waits on the system; without a
  // thread they inflate as they are read, with the same result.
  StartInflatingAhead();
  bool extracted = ExtractEntries(dialog);
  // Stopped wherever it is before anything is undone or shown.
  StopInflatingAhead();
  CloseInstalledRecords();
  if (!extracted) {
    UndoAndReport();
    return -1;
  }
  FinishCopy();
  return 0;
}
