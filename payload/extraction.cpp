#include "payload/extraction.h"

#include <cstring>

#include "core/bounded_string.h"
#include "core/error_box.h"
#include "core/format_text.h"
#include "core/global_block.h"
#include "core/installer_state.h"
#include "core/messages.h"
#include "payload/archive_format.h"
#include "payload/entry_name.h"
#include "payload/folder_rights.h"
#include "payload/payload_reader.h"
#include "payload/progress_bar.h"
#include "shell/installed_records.h"

namespace {

const DWORD kChunkSize = 2048;
const DWORD kLargestDataSize = 0x7FFFFFFF;
const char kUnextractedRecord[] = "\\DEF.TVD";
// Room for the longest message template with a number and a full path.
const size_t kErrorTextSize = 640;

struct Entry {
  char name[kMaxEntryNameLength];
  DWORD dataSize;
  char target[kPathSize];
  char subdirectory[kPathSize];
};

bool ReadExactly(void *buffer, DWORD count) { return ReadPayload(buffer, count) == static_cast<LONG>(count); }

void ShowCreateError(LONG result, const char *shownPath) {
  char text[kErrorTextSize];
  FormatText(text, sizeof text, GetMessageText("errDest"), static_cast<int>(result), shownPath);
  ShowErrorText(text);
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

// Copies the entry's data into the open file; shows the message on failure.
bool CopyEntryData(HFILE file, DWORD remaining, char *buffer, HWND dialog, DWORD *lastRedraw) {
  while (remaining != 0) {
    DWORD chunk = remaining < kChunkSize ? remaining : kChunkSize;
    if (!ReadExactly(buffer, chunk)) {
      ShowErrorMessage("corData");
      return false;
    }
    if (_hwrite(file, buffer, static_cast<LONG>(chunk)) != static_cast<LONG>(chunk)) {
      ShowErrorMessage("errDest2");
      return false;
    }
    remaining -= chunk;
    RedrawProgress(dialog, lastRedraw, buffer, kChunkSize);
  }
  return true;
}

// A new file is made with one look-up of its name, which Wine pays for with
// a scan of the whole folder. Only when that fails (most often because a file
// is already there) does the file go the long way: deleted, then created or
// cut to nothing, for reading and writing, with that call's failure. Not
// OpenFile: it refuses full paths of 128 characters or more.
HFILE CreateTargetFile(const char *target) {
  HANDLE created = CreateFileA(target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               CREATE_NEW, 0, nullptr);
  if (created != INVALID_HANDLE_VALUE) return static_cast<HFILE>(reinterpret_cast<INT_PTR>(created));
  DeleteFileA(target);
  return _lcreat(target, 0);
}

// The entry's subfolder, made or protected once for the entries that follow
// in it (readyFolder); false when one already there cannot be protected.
bool ReadySubdirectory(const Entry &entry, char *readyFolder) {
  if (entry.subdirectory[0] == '\0' || strcmp(entry.subdirectory, readyFolder) == 0) return true;
  if (!MakeFolderOurs(entry.subdirectory)) return false;
  return CopyString(readyFolder, kPathSize, entry.subdirectory);
}

bool ExtractEntry(HWND dialog, DWORD *lastRedraw, char *readyFolder) {
  Entry entry;
  if (!ReadEntryHeader(entry)) {
    ShowErrorMessage("corData");
    return false;
  }
  char *buffer = static_cast<char *>(AllocLocked(kChunkSize));
  if (!buffer) {
    ShowErrorMessage("noMem");
    return false;
  }
  if (!BuildTargetPath(g_destinationDir, entry.name, entry.target, entry.subdirectory, kPathSize)) {
    // Never cut into a shorter path: name the file as it would have been.
    char shown[kPathSize * 2];
    FormatText(shown, sizeof shown, "%s\\%s", g_destinationDir, entry.name);
    ShowCreateError(HFILE_ERROR, shown);
    FreeLocked(buffer);
    return false;
  }
  bool folderReady = ReadySubdirectory(entry, readyFolder);
  if (g_mainProgramPath[0] == '\0') CopyString(g_mainProgramPath, kPathSize, entry.target);
  // A folder that cannot be made ours fails its file as one not made does.
  HFILE file = folderReady ? CreateTargetFile(entry.target) : HFILE_ERROR;
  if (file <= 0) {
    ShowCreateError(file, entry.target);
    FreeLocked(buffer);
    return false;
  }
  RecordInstalledFile(entry.target);
  bool copied = CopyEntryData(file, entry.dataSize, buffer, dialog, lastRedraw);
  if (copied) _hwrite(file, buffer, 0);  // cut the file at its end
  _lclose(file);
  FreeLocked(buffer);
  return copied;
}

LONG ExtractEntries(HWND dialog) {
  DWORD lastRedraw = GetTickCount();
  char readyFolder[kPathSize] = "";
  for (WORD index = 0; index < g_payloadFileCount; ++index)
    if (!ExtractEntry(dialog, &lastRedraw, readyFolder)) return -1;
  char record[kPathSize];
  if (CopyString(record, sizeof record, g_destinationDir) && AppendString(record, sizeof record, kUnextractedRecord))
    RecordInstalledFile(record);
  return 0;
}

}  // namespace

LONG ExtractArchive(HWND dialog) {
  OpenInstalledRecords();
  LONG result = ExtractEntries(dialog);
  CloseInstalledRecords();
  return result;
}
