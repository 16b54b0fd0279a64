#include "payload/entry_name.h"

#include <cstring>

#include "core/bounded_string.h"

namespace {

// '$' too: the installed-file records write '$' between subfolders, and the
// uninstall reads every '$' back as one.
const char kForbiddenCharacters[] = "<>:\"/\\|?*$";
// The record that names no file; a file of that name would never be removed.
const char kUnextractedRecordName[] = "DEF.TVD";
const char *const kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
// COM and LPT with one digit; Windows counts the ANSI superscripts 1, 2 and 3
// (0xB9, 0xB2, 0xB3) as digits there too.
const char *const kNumberedDevices[] = {"COM", "LPT"};
const char kDeviceDigits[] = "0123456789\xB9\xB2\xB3";

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsIgnoringCase(const char *text, const char *upper, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (UpperAscii(text[i]) != upper[i]) return false;
  return true;
}

bool IsDeviceName(const char *part, size_t length) {
  // A device name stays a device with any extension and with blanks before
  // it: "nul.txt" and "com1 .log" are devices.
  const char *dot = static_cast<const char *>(memchr(part, '.', length));
  size_t stem = dot ? static_cast<size_t>(dot - part) : length;
  while (stem > 0 && part[stem - 1] == ' ') --stem;
  for (const char *device : kDeviceNames)
    if (strlen(device) == stem && EqualsIgnoringCase(part, device, stem)) return true;
  for (const char *device : kNumberedDevices)
    if (stem == 4 && EqualsIgnoringCase(part, device, 3) && part[3] != '\0' && strchr(kDeviceDigits, part[3]))
      return true;
  return false;
}

bool IsSafePart(const char *part, size_t length) {
  if (length == 0) return false;
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(part[i]);
    if (c < 0x20 || strchr(kForbiddenCharacters, c)) return false;
  }
  // Windows drops trailing dots and blanks, so "..." or "a." would not name
  // what they say; "." and ".." end in a dot too.
  char last = part[length - 1];
  return last != '.' && last != ' ' && !IsDeviceName(part, length);
}

}  // namespace

bool IsSafeEntryName(const char *bytes, size_t length) {
  if (length < 2 || memchr(bytes, '\0', length) != bytes + length - 1) return false;
  size_t nameLength = length - 1;
  const char *bang = static_cast<const char *>(memchr(bytes, '!', nameLength));
  if (!bang) return IsSafePart(bytes, nameLength) && !IsUnextractedRecordName(bytes, nameLength);
  size_t fileLength = static_cast<size_t>(bang - bytes);
  const char *subdirectory = bang + 1;
  size_t subdirectoryLength = nameLength - fileLength - 1;
  return !memchr(subdirectory, '!', subdirectoryLength) && IsSafePart(bytes, fileLength) &&
         IsSafePart(subdirectory, subdirectoryLength);
}

bool BuildTargetPath(const char *destination, const char *name, char *target, char *subdirectory, size_t size) {
  subdirectory[0] = '\0';
  const char *bang = strchr(name, '!');
  if (!bang) return JoinPath(target, size, destination, name);
  char file[64];
  size_t fileLength = static_cast<size_t>(bang - name);
  if (fileLength >= sizeof file) return false;
  memcpy(file, name, fileLength);
  file[fileLength] = '\0';
  if (!JoinPath(subdirectory, size, destination, bang + 1) || !JoinPath(target, size, subdirectory, file)) {
    subdirectory[0] = '\0';
    return false;
  }
  return true;
}

bool IsUnextractedRecordName(const char *name, size_t length) {
  return length == strlen(kUnextractedRecordName) && EqualsIgnoringCase(name, kUnextractedRecordName, length);
}
