// The open command of the viewer's class and the association of the chosen
// image extensions with it.
#include <windows.h>

#include "core/bounded_string.h"
#include "core/global_block.h"
#include "core/install_log.h"
#include "core/installer_state.h"
#include "shell/associations.h"
#include "shell/class_names.h"

namespace {

constexpr LONG kWorkBufferSize = 260;
constexpr size_t kKeyNameSize = 200;

// In the order of the association flags.
const char *const kExtensions[kAssociationCount] = {".gif", ".jpg", ".pcx", ".png", ".bmp",
                                                    ".rle", ".dib", ".tif", ".tga", ".pcd"};

// The first 25 characters of "MoraLUME_TOVA\license\install\": backups are
// named "...\ins.gif" and so on.
constexpr char kBackupKeyPrefix[] = "MoraLUME_TOVA\\license\\ins";

constexpr char kOpenCommandSuffix[] = " \"%1\"";

// Whether an extension's class names our class key. Windows compares key
// names ignoring case; our name is plain ASCII without an I or S (the only
// letters that a non-ASCII one, dotless i or long s, upper-cases to), so
// folding a-z is exact whatever the locale.
bool NamesOurClass(const char *value) {
  const char *ours = kAssociationValue;
  auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
  while (*value != '\0' && upper(*value) == upper(*ours)) {
    ++value;
    ++ours;
  }
  return *value == '\0' && *ours == '\0';
}

// Keeps the extension's earlier class, then associates it. An earlier class
// that cannot be kept whole is not replaced: the user's association is never
// lost or backed up cut.
void AssociateExtension(const char *extension, char *workBuffer) {
  char *current = workBuffer;
  LONG currentSize = kWorkBufferSize;
  char *longValue = nullptr;
  // A value stored without its terminator reports its bare length: keep a
  // byte for the terminator beyond what the registry says.
  LONG storedSize = GetClassValueSize(extension);
  if (storedSize >= kWorkBufferSize) {
    longValue = static_cast<char *>(AllocLocked(static_cast<size_t>(storedSize) + 1));
    if (!longValue) {
      LogLine("Association %s: left as it was, no memory to read its class", extension);
      return;
    }
    current = longValue;
    currentSize = storedSize + 1;
  }
  int read = GetClassValue(extension, current, currentSize);
  if (read == -1) current[0] = '\0';  // no key yet: the empty value is its backup
  bool keep = read == 0 || read == -1;
  const char *earlier = read == -1 ? "none" : current;

  char backupKey[kKeyNameSize] = "";
  if (!keep) {
    LogLine("Association %s: left as it was, its class could not be read whole", extension);
  } else if (!NamesOurClass(current)) {
    keep = CopyString(backupKey, sizeof backupKey, kBackupKeyPrefix) &&
           AppendString(backupKey, sizeof backupKey, extension) && SetClassValue(backupKey, current) == 0;
    if (!keep) LogLine("Association %s: left as it was, its class %s could not be backed up", extension, earlier);
  }
  if (keep) {
    bool set = SetClassValue(extension, kAssociationValue) == 0;
    LogLine("Association %s: earlier class %s, backup %s; now %s%s", extension, earlier,
            backupKey[0] ? backupKey : "none needed, it is this program's", kAssociationValue,
            set ? "" : ", which could not be written");
  }
  FreeLocked(longValue);
}

}  // namespace

void AssociateFileTypes(LONG checklistResult) {
  char *workBuffer = static_cast<char *>(AllocLocked(kWorkBufferSize));
  if (!workBuffer) return;
  // Without its open command the class would open nothing: a program path
  // too long for the command leaves every association as it was.
  workBuffer[0] = '\0';
  if (AppendProgramPath(workBuffer, kWorkBufferSize, g_mainProgramPath) &&
      AppendString(workBuffer, kWorkBufferSize, kOpenCommandSuffix)) {
    bool set = SetClassValue(kOpenCommandKey, workBuffer) == 0;
    LogLine("Open command %s: %s%s", kOpenCommandKey, workBuffer, set ? "" : ", which could not be written");
    for (int i = 0; i < kAssociationCount; ++i) {
      if (checklistResult != 0 && g_associationFlags[i] != 0)
        AssociateExtension(kExtensions[i], workBuffer);
      else
        LogLine("Association %s: not chosen", kExtensions[i]);
    }
  } else {
    LogLine("Associations: none, the program's path is too long for its open command");
  }
  FreeLocked(workBuffer);
}
