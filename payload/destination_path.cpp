#include "payload/destination_path.h"

#include <windows.h>

#include <cstring>

#include "core/install_log.h"
#include "core/installer_state.h"
#include "core/path_parts.h"
#include "payload/archive_format.h"
#include "payload/copy_journal.h"
#include "payload/folder_rights.h"
#include "payload/free_space.h"
#include "payload/set_aside.h"

namespace {

void RemoveLeadingBlanks(char *text) {
  size_t skip = strspn(text, " \t");
  if (skip > 0) memmove(text, text + skip, strlen(text + skip) + 1);
}

// Every file lands at most one folder below the destination under a name of
// the archive's longest, and the path must fit its buffer whatever the
// payload holds (read only once, it cannot be looked at beforehand); so must
// the name it is set aside under when an update replaces it.
bool LeavesRoomForEveryFile(const char *full, size_t length) {
  size_t separator = IsPathSeparator(full[length - 1]) ? 0 : 1;
  return length + separator + (kMaxEntryNameLength - 1) + kAsideSuffixLength < kPathSize;
}

int Refuse(int result, const char *why) {
  LogLine("Destination refused: %s", why);
  return result;
}

}  // namespace

int CreateDestinationPath() {
  BeginCopyJournal();
  LogLine("Destination as given: %s", g_destinationDir);
  RemoveLeadingBlanks(g_destinationDir);
  // An emptied entry is no destination: it would strew the files over
  // whatever the current directory is, often a drive's root.
  if (g_destinationDir[0] == '\0') return Refuse(kDestinationUnformable, "empty");
  char full[kPathSize];
  DWORD length = GetFullPathNameA(g_destinationDir, kPathSize, full, nullptr);
  if (length == 0 || length >= kPathSize) return Refuse(kDestinationUnformable, "no full path can be formed");
  // Neither a root, whose rights would be replaced and whose files would be
  // mixed with ours, nor a folder too deep for the files below it.
  size_t position = FirstFolderAt(full);
  if (position == 0 || full[position] == '\0') return Refuse(kDestinationUnformable, "a root or a device");
  if (!LeavesRoomForEveryFile(full, length)) return Refuse(kDestinationUnformable, "too deep for the files");
  // Room on the disk before any folder is made: a disk too small is refused
  // with nothing written.
  if (!PayloadFitsBelow(full, position)) return Refuse(kDestinationNoRoom, "too little free space");
  // From here on the destination is the absolute path: a relative one would
  // leave records, commands and the uninstall entry that mean nothing once
  // the current directory changes.
  memcpy(g_destinationDir, full, length + 1);
  LogLine("Destination: %s", g_destinationDir);

  // Every folder below the root in turn: one the installer makes gets the
  // protected rights; one that is there already keeps its own, but for the
  // destination itself, which some user may have made or opened.
  while (full[position] != '\0') {
    size_t end = SkipComponent(full, position);
    bool last = full[SkipSeparators(full, end)] == '\0';
    char kept = full[end];
    full[end] = '\0';
    bool made = false;
    if (!last) {
      made = CreateProtectedFolder(full);
    } else if (!MakeFolderOurs(full, &made)) {
      // Nothing stays of a destination refused: the folders made above it go.
      LogLine("Destination refused: its rights cannot be set: %s", full);
      char ignored[kPathSize];
      UndoCopy(ignored, sizeof ignored);
      return kDestinationUnformable;
    }
    if (made) {
      LogLine("Folder made: %s", full);
      NoteDestinationFolderMade(full);
    } else if (last) {
      LogLine("Folder there already, its rights now the installer's: %s", full);
    }
    full[end] = kept;
    position = SkipSeparators(full, end);
  }
  return kDestinationCreated;
}
