#include "remove_files.h"

#include "same_name.h"
#include "record_path.h"

typedef int (*RecordAction)(char *path, const char *programPath, size_t folderLength);

/* Calls `action` with the path of each record that names a file below the
   program's folder; returns the sum of what it returned. Other records are
   skipped. */
static int ForEachRecord(HKEY records, const char *programPath, RecordAction action) {
  char name[RECORD_NAME_MAX + 1];
  char path[MAX_PATH];
  size_t folderLength = FolderLength(programPath);
  DWORD index;
  int sum = 0;
  for (index = 0;; ++index) {
    LONG result = RegEnumKeyA(records, index, name, sizeof name);
    if (result == ERROR_MORE_DATA) continue; /* longer than any record can be */
    if (result != ERROR_SUCCESS) break;
    if (RecordToPath(programPath, folderLength, name, path, sizeof path) == RECORD_FILE)
      sum += action(path, programPath, folderLength);
  }
  return sum;
}

/* The path and the program's own were made from the same folder, and file
   names ignore case. */
static int NamesProgram(char *path, const char *programPath, size_t folderLength) {
  (void)folderLength;
  return SameName(path, programPath);
}

/* A junction, symbolic link or mount point: a user may put one where the
   installer made a folder, and a path through it leads anywhere. */
static int IsReparsePoint(const char *path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

/* 1 when the program's folder or a folder between it and the file `path`
   is a reparse point: then nothing is deleted through that path. */
static int PassesReparsePoint(const char *path, const char *programPath, size_t folderLength) {
  char folder[MAX_PATH];
  lstrcpynA(folder, path, sizeof folder);
  while (CutToParent(folder, folderLength))
    if (IsReparsePoint(folder)) return 1;
  return FolderToRemove(programPath, folder, sizeof folder) && IsReparsePoint(folder);
}

/* 1 when the file is still there afterwards, or cannot be reached but
   through a reparse point. A record naming a folder is not followed:
   folders go only once empty. */
static int DeleteRecordedFile(char *path, const char *programPath, size_t folderLength) {
  DWORD attributes;
  if (PassesReparsePoint(path, programPath, folderLength)) return 1;
  attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || SameName(path, programPath)) return 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return 1;
  return DeleteFileA(path) ? 0 : 1;
}

/* Each folder between the file and the program's folder, deepest first;
   one that still holds anything stays, and so does every folder on a path
   through a reparse point (which is not removed either). */
static int RemoveEmptyFolders(char *path, const char *programPath, size_t folderLength) {
  if (PassesReparsePoint(path, programPath, folderLength)) return 0;
  while (CutToParent(path, folderLength)) RemoveDirectoryA(path);
  return 0;
}

int IsRecordedProgram(HKEY records, const char *programPath) {
  return ForEachRecord(records, programPath, NamesProgram) != 0;
}

int RemoveRecordedFiles(HKEY records, const char *programPath) {
  int left = ForEachRecord(records, programPath, DeleteRecordedFile);
  ForEachRecord(records, programPath, RemoveEmptyFolders);
  return left;
}

static int ScheduleDelete(const char *path) {
  return MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) ? 0 : 1;
}

int ScheduleOwnRemoval(const char *programPath, const char *logPath) {
  char folder[MAX_PATH];
  int hasFolder = FolderToRemove(programPath, folder, sizeof folder);
  int failed;
  /* A folder that is a reparse point is not the one the installer made, and
     by the next start the paths through it may lead anywhere: nothing is
     scheduled, and the folder counts as left. */
  if (hasFolder && IsReparsePoint(folder)) return 1;
  /* In this order: the folder must be empty when its turn comes. */
  failed = ScheduleDelete(programPath);
  if (GetFileAttributesA(logPath) != INVALID_FILE_ATTRIBUTES) failed += ScheduleDelete(logPath);
  if (hasFolder) failed += ScheduleDelete(folder);
  return failed;
}
