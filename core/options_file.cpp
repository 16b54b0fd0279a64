// Reader of the installer-side options file "tovaopt.ini": lines of
// name=value beside the installer.
#include <windows.h>

#include <cstring>

#include "core/bounded_string.h"
#include "core/global_block.h"
#include "core/installer_state.h"
#include "core/options.h"

namespace {

const char kOptionsFileName[] = "tovaopt.ini";
const char kDroppedOption[] = "prefRelativeSelPaths";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool EndsName(char c) { return c == ' ' || c == '\t' || c == '='; }

char *CopyToBlock(const char *bytes, size_t length) {
  char *block = static_cast<char *>(AllocLocked(length + 1));
  if (!block) return nullptr;
  memcpy(block, bytes, length);
  block[length] = '\0';
  return block;
}

// Parses one line of `length` bytes; appends its setting when it has one.
void ReadOptionLine(const char *line, size_t length) {
  size_t nameLength = 0;
  while (nameLength < length && !EndsName(line[nameLength])) ++nameLength;
  if (nameLength == 0) return;
  size_t equals = nameLength;
  while (equals + 1 < length && line[equals] != '=') ++equals;
  if (equals + 1 >= length) return;  // no '=', or it is the line's last byte
  char *name = CopyToBlock(line, nameLength);
  if (!name) return;
  char *value = CopyToBlock(line + equals + 1, length - equals - 1);
  if (!value || strcmp(name, kDroppedOption) == 0 || !AppendOption(name, value)) {
    FreeLocked(name);
    FreeLocked(value);
  }
}

void ParseOptions(const char *text, size_t size) {
  size_t p = 0;
  while (p < size) {
    while (p < size && IsBlank(text[p])) ++p;
    size_t length = 0;
    while (p + length < size && !IsLineEnd(text[p + length])) ++length;
    // Keep one slot free for the language entry added at the end of the run.
    if (length > 0 && g_optionCount < kOptionCapacity - 1) ReadOptionLine(text + p, length);
    p += length;
  }
}

}  // namespace

bool FormOptionsFilePath(char *path) {
  path[0] = '\0';
  // The installer directory already ends with its separator. Without one
  // (a module path cut by its buffer) there is no file to read: a bare name
  // would be looked for in the current directory and along the PATH.
  return g_installerDir[0] != '\0' && CopyString(path, kPathSize, g_installerDir) &&
         AppendString(path, kPathSize, kOptionsFileName);
}

bool ReadInstallerOptions() {
  char path[kPathSize];
  if (!FormOptionsFilePath(path)) return false;
  // Not OpenFile: it refuses full paths of 128 characters or more.
  HFILE file = _lopen(path, OF_READWRITE | OF_SHARE_DENY_NONE);
  if (file <= 0) return false;
  LONG size = _llseek(file, 0, FILE_END);
  if (size > 0 && _llseek(file, 0, FILE_BEGIN) == 0) {
    char *text = static_cast<char *>(AllocLocked(static_cast<size_t>(size)));
    if (text) {
      LONG got = _hread(file, text, size);
      if (got > 0) ParseOptions(text, static_cast<size_t>(got));
      FreeLocked(text);
    }
  }
  _lclose(file);
  return true;
}
