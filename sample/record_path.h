/* From an installed-file record to the file it names, inside the program's
   folder. The records come from the registry, where anyone may have written
   them, so a record is used only when it can name nothing but a file below
   that folder. No Win32 calls here: the host tests run this as it is. */
#ifndef LUME32_RECORD_PATH_H
#define LUME32_RECORD_PATH_H

#include <stddef.h>

/* What RecordToPath made of a record. */
enum RecordKind {
  RECORD_FILE,     /* the path of a file below the folder */
  RECORD_MARKER,   /* DEF.TVD: recorded, but no file of that name exists */
  RECORD_REJECTED  /* could name something outside the folder, or not what it says */
};

/* The longest record used: a registry key name holds at most 255 characters,
   and no part of a Windows file name may be longer either. */
#define RECORD_NAME_MAX 255

/* Length of the folder part of a program's full path, with its last '\',
   '/' or ':'; 0 when the path names no folder. */
size_t FolderLength(const char *programPath);

/* Joins `record` ('$' between folders, as the installer writes it) to the
   first `folderLength` characters of `folder`, which end with a separator,
   into `path` (`size` bytes, always terminated). Every part of the record must
   be a plain file or folder name: not empty, "." or "..", no character that
   Windows forbids or gives a meaning (< > : " / \ | ? * and control
   characters), no trailing dot or blank, no device name (CON, PRN, AUX, NUL,
   COM0-9, LPT0-9, with any extension), at most RECORD_NAME_MAX characters
   in all. A path that would not fit is rejected, never cut. */
enum RecordKind RecordToPath(const char *folder, size_t folderLength, const char *record, char *path, size_t size);

/* Cuts `path`'s last part off; 1 when what is left still lies below the
   folder (longer than `folderLength`, the folder's length with its
   separator), 0 when it would be the folder itself or above it (`path` is
   then left as it was). */
int CutToParent(char *path, size_t folderLength);

/* The program's folder without its last separator, into `folder` (`size`
   bytes): what goes once the program has gone. 0 when there is none or it is
   a root (C:\ or C: of a drive, \\server\share of a share), which is never
   removed. */
int FolderToRemove(const char *programPath, char *folder, size_t size);

/* Appends `text` to the string in `buffer` (`size` bytes); 0, and the buffer
   unchanged, when the result would not fit. */
int AppendText(char *buffer, size_t size, const char *text);

#endif
