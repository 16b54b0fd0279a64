#include "record_path.h"

#include <string.h>

static const char kMarker[] = "DEF.TVD";
static const char kForbidden[] = "<>:\"/\\|?*";
static const char *const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
/* COM and LPT take one digit; Windows counts the ANSI superscripts 1, 2 and
   3 as digits there too. CONIN$ and CONOUT$ cannot occur: '$' splits parts. */
static const char *const kNumberedDevices[] = {"COM", "LPT"};
static const char kDeviceDigits[] = "0123456789\xB9\xB2\xB3";

static char Upper(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c; }

static int SameLetters(const char *text, const char *upper, size_t length) {
  size_t i;
  for (i = 0; i < length; ++i)
    if (Upper(text[i]) != upper[i]) return 0;
  return 1;
}

/* A device stays a device with an extension and blanks before it:
   "nul.txt" and "com1 .log" open the device, not a file. */
static int IsDevice(const char *part, size_t length) {
  const char *dot = (const char *)memchr(part, '.', length);
  size_t stem = dot ? (size_t)(dot - part) : length;
  size_t i;
  while (stem > 0 && part[stem - 1] == ' ') --stem;
  for (i = 0; i < sizeof kDevices / sizeof kDevices[0]; ++i)
    if (stem == 3 && SameLetters(part, kDevices[i], 3)) return 1;
  for (i = 0; i < sizeof kNumberedDevices / sizeof kNumberedDevices[0]; ++i)
    if (stem == 4 && SameLetters(part, kNumberedDevices[i], 3) && part[3] != '\0' &&
        strchr(kDeviceDigits, part[3]))
      return 1;
  return 0;
}

static int IsPlainName(const char *part, size_t length) {
  size_t i;
  if (length == 0) return 0;
  for (i = 0; i < length; ++i) {
    unsigned char c = (unsigned char)part[i];
    if (c < 0x20 || strchr(kForbidden, c)) return 0;
  }
  /* Windows drops trailing dots and blanks, so "a." would name "a"; "." and
     ".." end in a dot too. */
  if (part[length - 1] == '.' || part[length - 1] == ' ') return 0;
  return !IsDevice(part, length);
}

size_t FolderLength(const char *programPath) {
  size_t length = strlen(programPath);
  while (length > 0 && programPath[length - 1] != '\\' && programPath[length - 1] != '/' &&
         programPath[length - 1] != ':')
    --length;
  return length;
}

static int SameIgnoringCase(const char *text, const char *upper) {
  size_t length = strlen(upper);
  return strlen(text) == length && SameLetters(text, upper, length);
}

enum RecordKind RecordToPath(const char *folder, size_t folderLength, const char *record, char *path, size_t size) {
  size_t recordLength = strlen(record);
  size_t start = 0, at, end;
  if (size > 0) path[0] = '\0';
  if (SameIgnoringCase(record, kMarker)) return RECORD_MARKER;
  if (recordLength == 0 || recordLength > RECORD_NAME_MAX) return RECORD_REJECTED;
  if (folderLength == 0 || strlen(folder) < folderLength || !strchr("\\/:", folder[folderLength - 1]))
    return RECORD_REJECTED;
  /* The folder, then the record with each '$' made a '\'. */
  if (folderLength + recordLength >= size) return RECORD_REJECTED;
  while (start <= recordLength) {
    const char *dollar = strchr(record + start, '$');
    end = dollar ? (size_t)(dollar - record) : recordLength;
    if (!IsPlainName(record + start, end - start)) return RECORD_REJECTED;
    start = end + 1;
  }
  memcpy(path, folder, folderLength);
  for (at = 0; at < recordLength; ++at) path[folderLength + at] = record[at] == '$' ? '\\' : record[at];
  path[folderLength + recordLength] = '\0';
  return RECORD_FILE;
}

int CutToParent(char *path, size_t folderLength) {
  size_t cut = strlen(path);
  while (cut > 0 && path[cut - 1] != '\\') --cut;
  /* cut - 1 is the last '\'; what is left must be longer than the folder
     without its separator. */
  if (cut == 0 || cut - 1 < folderLength) return 0;
  path[cut - 1] = '\0';
  return 1;
}

int AppendText(char *buffer, size_t size, const char *text) {
  size_t used = strlen(buffer), length = strlen(text);
  if (used + length >= size) return 0;
  memcpy(buffer + used, text, length + 1);
  return 1;
}

static int IsSeparator(char c) { return c == '\\' || c == '/'; }

/* Characters of `path` from `from` to its next separator (or its end). */
static size_t PartEnd(const char *path, size_t from) {
  while (path[from] && !IsSeparator(path[from])) ++from;
  return from;
}

int FolderToRemove(const char *programPath, char *folder, size_t size) {
  size_t length = FolderLength(programPath), share;
  if (length < 2 || programPath[length - 1] == ':' || length > size) return 0;
  memcpy(folder, programPath, length - 1);
  folder[length - 1] = '\0';
  /* "\\server\share" is a root as much as "C:" is. */
  if (IsSeparator(folder[0]) && IsSeparator(folder[1])) {
    share = PartEnd(folder, 2);
    return folder[share] && folder[PartEnd(folder, share + 1)] ? 1 : 0;
  }
  /* A drive's root keeps no separator once its last one is gone: "C:" or "". */
  return PartEnd(folder, 0) < length - 1 ? 1 : 0;
}
