// Conformance probe: calls the Win32 functions the installer uses with the
// edge inputs it can meet and prints one line per probe, "name: outcome".
// Built for the host against win32sim and for Windows against the real
// headers; tests/conformance/run.sh compares the outputs (Wine is the judge).
// Lines hold only outcomes, return values, error codes, lengths and buffer
// contents, never handle values or addresses, so they compare across builds.
#include <windows.h>
#include <sddl.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#ifdef _WIN32
#include <ddeml.h>
#else
#include "win32sim/testapi.h"
#endif

namespace {

const char kRoot[] = "C:\\probe";
const size_t kRootLength = sizeof kRoot;  // with the '\' that follows it
const char kFill = '~';                   // what buffers hold before a call

int g_probes = 0;

void Out(const char *name, const char *format, ...) {
  char text[2048];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  printf("%s: %s\n", name, text);
  ++g_probes;
}

std::string Name(const char *format, ...) {
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return text;
}

void ResetError() { SetLastError(0); }
unsigned long Error() { return static_cast<unsigned long>(GetLastError()); }

struct PathProbe {
  const char *name;
  std::string path;
};

// Each probe's call on its path: "ret=" and the result in `format` ("%lu" or
// "%lx"), then the error.
template <typename Call>
void ProbePaths(std::initializer_list<PathProbe> probes, const char *format, Call call) {
  char line[32];
  snprintf(line, sizeof line, "ret=%s err=%%lu", format);
  for (const PathProbe &probe : probes) {
    ResetError();
    unsigned long result = static_cast<unsigned long>(call(probe.path.c_str()));
    Out(probe.name, line, result, Error());
  }
}

// Printable bytes, others as \xNN; long runs of one byte as "<n x c>".
std::string Escaped(const char *bytes, size_t count) {
  std::string out;
  for (size_t i = 0; i < count;) {
    size_t run = 1;
    while (i + run < count && bytes[i + run] == bytes[i]) ++run;
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    char piece[32];
    if (c >= 0x20 && c < 0x7F)
      snprintf(piece, sizeof piece, "%c", c);
    else
      snprintf(piece, sizeof piece, "\\x%02x", c);
    if (run > 4) {
      out += "<" + std::to_string(run) + "x" + piece + ">";
      i += run;
    } else {
      out += piece;
      ++i;
    }
  }
  return out;
}

// Text in a buffer of `size` bytes: up to its NUL, or all of it and "(no NUL)".
std::string BufferText(const char *buffer, size_t size) {
  const void *nul = memchr(buffer, '\0', size);
  if (!nul) return "'" + Escaped(buffer, size) + "'(no NUL)";
  return "'" + Escaped(buffer, static_cast<const char *>(nul) - buffer) + "'";
}

// The name part of a long file path under C:\probe, so that the full path has
// exactly `length` characters: "<tag>xxxx...x.txt".
std::string PathOfLength(const char *tag, size_t length) {
  std::string path = std::string(kRoot) + "\\" + tag;
  if (path.size() + 4 < length) path += std::string(length - path.size() - 4, 'x');
  path += ".txt";
  return path.substr(0, length);
}

std::string InRoot(const char *name) { return std::string(kRoot) + "\\" + name; }

// ---- Setting up, outside the calls under test -------------------------------

#ifdef _WIN32
HINSTANCE Instance() { return GetModuleHandleA(nullptr); }
void ChangeDirectory(const std::string &path) { SetCurrentDirectoryA(path.c_str()); }
void MarkReadOnly(const std::string &path, bool readOnly) {
  SetFileAttributesA(path.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

// A key that anyone may read but nobody may write or add to.
bool DenyKeyWrites(HKEY root, const char *path) {
  HKEY key;
  if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) return false;
  SID_IDENTIFIER_AUTHORITY world = {SECURITY_WORLD_SID_AUTHORITY};
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  alignas(DWORD) BYTE aclBytes[256];
  PACL acl = reinterpret_cast<PACL>(aclBytes);
  InitializeAcl(acl, sizeof aclBytes, ACL_REVISION);
  AddAccessDeniedAce(acl, ACL_REVISION, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, everyone);
  AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
  SECURITY_DESCRIPTOR descriptor;
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
  LONG set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
  FreeSid(everyone);
  RegCloseKey(key);
  return set == ERROR_SUCCESS;
}

void RemoveTree(const std::string &folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryA(folder.c_str());
}

void MakeHardLink(const std::string &path, const std::string &existing) {
  CreateHardLinkA(path.c_str(), existing.c_str(), nullptr);
}

void RemoveScratchKeys() {
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\ProbeConformance");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".probeconformance");
}
#else
HINSTANCE Instance() { return nullptr; }
void ChangeDirectory(const std::string &path) { sim::SetCurrentDirectory(path); }
void MarkReadOnly(const std::string &path, bool readOnly) { sim::SetReadOnly(path, readOnly); }
bool DenyKeyWrites(HKEY root, const char *path) {
  sim::DenyKeyWrites(root, path);
  return true;
}
void MakeHardLink(const std::string &path, const std::string &existing) { sim::MakeHardLink(path, existing); }
void RemoveTree(const std::string &) {}  // the stand-in's folder goes at exit
void RemoveScratchKeys() {}
#endif

// A file with these bytes, written through the calls under test.
void MakeFile(const std::string &path, const std::string &bytes) {
  HFILE file = _lcreat(path.c_str(), 0);
  if (file == HFILE_ERROR) return;
  _hwrite(file, bytes.data(), static_cast<LONG>(bytes.size()));
  _lclose(file);
}

// Size and contents of a file, or "missing".
std::string FileState(const std::string &path) {
  HFILE file = _lopen(path.c_str(), OF_READ | OF_SHARE_DENY_NONE);
  if (file == HFILE_ERROR) return "missing";
  char bytes[64];
  LONG size = _llseek(file, 0, FILE_END);
  _llseek(file, 0, FILE_BEGIN);
  LONG got = _hread(file, bytes, sizeof bytes);
  _lclose(file);
  return Name("size=%ld '%s'", static_cast<long>(size), Escaped(bytes, got > 0 ? static_cast<size_t>(got) : 0).c_str());
}

const char *HandleText(HFILE file) { return file == HFILE_ERROR ? "HFILE_ERROR" : "handle"; }

// ---- OpenFile ---------------------------------------------------------------

void ProbeOpenFileCall(const std::string &name, const std::string &path, UINT style) {
  OFSTRUCT info;
  memset(&info, 0x7E, sizeof info);
  HFILE file = OpenFile(path.c_str(), &info, style);
  // OF_EXIST, OF_DELETE and OF_PARSE return a number, not a handle. The
  // error is in nErrCode (GetLastError may hold an inner call's code).
  std::string result = (style & (OF_EXIST | OF_DELETE | OF_PARSE)) ? std::to_string(file) : HandleText(file);
  Out(name.c_str(), "%s nErrCode=%u cBytes=%u path=%s", result.c_str(), info.nErrCode, info.cBytes,
      BufferText(info.szPathName, sizeof info.szPathName).c_str());
  if (file != HFILE_ERROR && !(style & (OF_EXIST | OF_DELETE | OF_PARSE))) _lclose(file);
}

void ProbeOpenFile() {
  const UINT create = OF_CREATE | OF_READWRITE | OF_SHARE_DENY_NONE;
  const UINT readWrite = OF_READWRITE | OF_SHARE_DENY_NONE;
  for (size_t length : {127, 128, 259, 260}) {
    std::string path = PathOfLength("oc", length);
    ProbeOpenFileCall(Name("OpenFile.create.len%zu", length), path, create);
    Out(Name("OpenFile.create.len%zu.file", length).c_str(), "%s", FileState(path).c_str());
    std::string existing = PathOfLength("oe", length);
    MakeFile(existing, "0123456789");
    ProbeOpenFileCall(Name("OpenFile.readwrite.existing.len%zu", length), existing, readWrite);
  }
  MakeFile(InRoot("exist.txt"), "0123456789");
  MakeFile(InRoot("ro.txt"), "readonly");
  MarkReadOnly(InRoot("ro.txt"), true);
  CreateDirectoryA(InRoot("dir").c_str(), nullptr);
  const struct {
    const char *name;
    std::string path;
    UINT style;
  } cases[] = {
      {"OpenFile.create.bare", "bare.txt", create},
      {"OpenFile.readwrite.bare", "bare.txt", readWrite},
      {"OpenFile.readwrite.bare.missing", "nosuchprobefile.tmp", readWrite},
      {"OpenFile.read.dotslash", ".\\bare.txt", OF_READ},
      {"OpenFile.create.existing", InRoot("exist.txt"), create},
      {"OpenFile.readwrite.existing", InRoot("exist.txt"), readWrite},
      {"OpenFile.readwrite.missing", InRoot("missing.txt"), readWrite},
      {"OpenFile.read.missing", InRoot("missing.txt"), OF_READ},
      {"OpenFile.readwrite.missingdir", InRoot("nodir\\x.txt"), readWrite},
      {"OpenFile.create.missingdir", InRoot("nodir\\x.txt"), create},
      {"OpenFile.create.readonly", InRoot("ro.txt"), create},
      {"OpenFile.readwrite.readonly", InRoot("ro.txt"), readWrite},
      {"OpenFile.write.readonly", InRoot("ro.txt"), OF_WRITE},
      {"OpenFile.read.readonly", InRoot("ro.txt"), OF_READ | OF_SHARE_DENY_NONE},
      {"OpenFile.readwrite.dir", InRoot("dir"), readWrite},
      {"OpenFile.create.dir", InRoot("dir"), create},
      {"OpenFile.exist.existing", InRoot("exist.txt"), OF_EXIST},
      {"OpenFile.exist.missing", InRoot("missing.txt"), OF_EXIST},
      {"OpenFile.parse", InRoot("dir\\..\\parsed. .txt"), OF_PARSE},
      {"OpenFile.create.trailingdots", InRoot("dots.txt. ."), create},
      {"OpenFile.readwrite.slashes", "C:/probe/exist.txt", readWrite},
  };
  for (const auto &probe : cases) ProbeOpenFileCall(probe.name, probe.path, probe.style);
  Out("OpenFile.create.existing.file", "%s", FileState(InRoot("exist.txt")).c_str());
  Out("OpenFile.create.trailingdots.file", "%s", FileState(InRoot("dots.txt")).c_str());

  MakeFile(InRoot("del.txt"), "x");
  ProbeOpenFileCall("OpenFile.delete", InRoot("del.txt"), OF_DELETE);
  Out("OpenFile.delete.file", "%s", FileState(InRoot("del.txt")).c_str());

  // Two handles on one file, as the options files are opened.
  MakeFile(InRoot("twice.txt"), "abc");
  OFSTRUCT first, second;
  HFILE one = OpenFile(InRoot("twice.txt").c_str(), &first, readWrite);
  ResetError();
  HFILE two = OpenFile(InRoot("twice.txt").c_str(), &second, readWrite);
  Out("OpenFile.readwrite.sharenone.twice", "%s %s nErrCode=%u", HandleText(one), HandleText(two), second.nErrCode);
  ResetError();
  BOOL deleted = DeleteFileA(InRoot("twice.txt").c_str());
  Out("OpenFile.readwrite.sharenone.delete", "ret=%d err=%lu", deleted, Error());
  if (one != HFILE_ERROR) _lclose(one);
  if (two != HFILE_ERROR) _lclose(two);

  // A bare name whose full path, against the current directory, reaches 128.
  for (size_t length : {127, 128}) {
    std::string folder = std::string(kRoot) + "\\" + std::string(length - kRootLength - 6, 'd');
    CreateDirectoryA(folder.c_str(), nullptr);
    ChangeDirectory(folder);
    ProbeOpenFileCall(Name("OpenFile.create.bare.full%zu", length), "a.txt", create);
    ChangeDirectory(kRoot);
  }
}

// ---- _lcreat, _lopen, and the _h/_l calls ----------------------------------

void ProbeLcreatLopen() {
  for (size_t length : {127, 128, 259, 260}) {
    std::string path = PathOfLength("lc", length);
    ResetError();
    HFILE file = _lcreat(path.c_str(), 0);
    unsigned long error = Error();
    LONG wrote = file == HFILE_ERROR ? -1 : _hwrite(file, "lcreat", 6);
    if (file != HFILE_ERROR) _lclose(file);
    Out(Name("_lcreat.len%zu", length).c_str(), "%s err=%lu wrote=%ld", HandleText(file), error,
        static_cast<long>(wrote));
    ResetError();
    file = _lopen(path.c_str(), OF_READWRITE | OF_SHARE_DENY_NONE);
    error = Error();
    char bytes[16] = {0};
    LONG got = file == HFILE_ERROR ? -1 : _hread(file, bytes, sizeof bytes);
    if (file != HFILE_ERROR) _lclose(file);
    Out(Name("_lopen.readwrite.len%zu", length).c_str(), "%s err=%lu read=%ld '%s'", HandleText(file), error,
        static_cast<long>(got), Escaped(bytes, got > 0 ? static_cast<size_t>(got) : 0).c_str());
  }

  MakeFile(InRoot("lexist.txt"), "0123456789");
  MakeFile(InRoot("lro.txt"), "readonly");
  MarkReadOnly(InRoot("lro.txt"), true);
  const struct {
    const char *name;
    std::string path;
    int attribute;
  } creates[] = {
      {"_lcreat.existing", InRoot("lexist.txt"), 0},
      {"_lcreat.readonly", InRoot("lro.txt"), 0},
      {"_lcreat.missingdir", InRoot("nodir\\x.txt"), 0},
      {"_lcreat.dir", InRoot("dir"), 0},
      {"_lcreat.bare", "lbare.txt", 0},
      {"_lcreat.readonlyattribute", InRoot("lnewro.txt"), 1},
  };
  for (const auto &probe : creates) {
    ResetError();
    HFILE file = _lcreat(probe.path.c_str(), probe.attribute);
    unsigned long error = Error();
    LONG wrote = file == HFILE_ERROR ? -1 : _hwrite(file, "new", 3);
    if (file != HFILE_ERROR) _lclose(file);
    Out(probe.name, "%s err=%lu wrote=%ld then %s", HandleText(file), error, static_cast<long>(wrote),
        FileState(probe.path).c_str());
  }
  ResetError();
  HFILE reopened = _lopen(InRoot("lnewro.txt").c_str(), OF_READWRITE);
  Out("_lcreat.readonlyattribute.reopen", "%s err=%lu", HandleText(reopened), Error());
  if (reopened != HFILE_ERROR) _lclose(reopened);

  MakeFile(InRoot("lexist.txt"), "0123456789");
  const struct {
    const char *name;
    std::string path;
    int mode;
  } opens[] = {
      {"_lopen.read", InRoot("lexist.txt"), OF_READ},
      {"_lopen.write", InRoot("lexist.txt"), OF_WRITE},
      {"_lopen.readwrite", InRoot("lexist.txt"), OF_READWRITE | OF_SHARE_DENY_NONE},
      {"_lopen.missing", InRoot("missing.txt"), OF_READ},
      {"_lopen.missingdir", InRoot("nodir\\x.txt"), OF_READ},
      {"_lopen.readonly.read", InRoot("lro.txt"), OF_READ},
      {"_lopen.readonly.readwrite", InRoot("lro.txt"), OF_READWRITE},
      {"_lopen.dir", InRoot("dir"), OF_READ},
      {"_lopen.bare", "lbare.txt", OF_READ},
      {"_lopen.create", InRoot("lopencreate.txt"), OF_READWRITE | OF_CREATE},
  };
  for (const auto &probe : opens) {
    ResetError();
    HFILE file = _lopen(probe.path.c_str(), probe.mode);
    unsigned long error = Error();
    char bytes[16];
    ResetError();
    LONG got = file == HFILE_ERROR ? -1 : _hread(file, bytes, 4);
    unsigned long readError = Error();
    ResetError();
    LONG wrote = file == HFILE_ERROR ? -1 : _hwrite(file, "W", 1);
    unsigned long writeError = Error();
    if (file != HFILE_ERROR) _lclose(file);
    Out(probe.name, "%s err=%lu read=%ld err=%lu write=%ld err=%lu", HandleText(file), error, static_cast<long>(got),
        readError, static_cast<long>(wrote), writeError);
  }
}

// Each call in its own statement: the order of a call's arguments is unspecified.
void ProbeHandleCalls() {
  char bytes[64];
  HFILE file = _lcreat(InRoot("rw.bin").c_str(), 0);
  Out("io.lcreat", "%s", HandleText(file));
  LONG result = _hwrite(file, "0123456789", 10);
  Out("io.hwrite.10", "%ld", static_cast<long>(result));
  const struct {
    const char *name;
    LONG offset;
    int origin;
  } seeks[] = {{"io.llseek.current", 0, FILE_CURRENT}, {"io.llseek.end", 0, FILE_END}, {"io.llseek.begin", 0, FILE_BEGIN}};
  for (const auto &probe : seeks) {
    result = _llseek(file, probe.offset, probe.origin);
    Out(probe.name, "%ld", static_cast<long>(result));
  }
  memset(bytes, kFill, sizeof bytes);
  result = _hread(file, bytes, 4);
  Out("io.hread.4", "%ld '%s'", static_cast<long>(result), Escaped(bytes, 6).c_str());
  result = _llseek(file, -2, FILE_CURRENT);
  Out("io.llseek.back2", "%ld", static_cast<long>(result));
  ResetError();
  result = _llseek(file, -1, FILE_BEGIN);
  unsigned long error = Error();
  LONG at = _llseek(file, 0, FILE_CURRENT);
  Out("io.llseek.negative", "%ld err=%lu at=%ld", static_cast<long>(result), error, static_cast<long>(at));
  ResetError();
  result = _llseek(file, 0, 3);
  Out("io.llseek.badorigin", "%ld err=%lu", static_cast<long>(result), Error());
  result = _llseek(file, 20, FILE_BEGIN);
  Out("io.llseek.past", "%ld", static_cast<long>(result));
  result = _hread(file, bytes, 4);
  Out("io.hread.past", "%ld", static_cast<long>(result));
  // A write of nothing sets the end of the file where the position is.
  const struct {
    const char *name;
    LONG position;
  } cuts[] = {{"io.hwrite.0.past", 20}, {"io.hwrite.0.cut", 5}, {"io.hwrite.0.atend", 5}};
  for (const auto &probe : cuts) {
    _llseek(file, probe.position, FILE_BEGIN);
    result = _hwrite(file, bytes, 0);
    LONG end = _llseek(file, 0, FILE_END);
    Out(probe.name, "%ld then end=%ld", static_cast<long>(result), static_cast<long>(end));
  }
  _llseek(file, 0, FILE_BEGIN);
  memset(bytes, kFill, sizeof bytes);
  result = _hread(file, bytes, sizeof bytes);
  Out("io.hread.all", "%ld '%s'", static_cast<long>(result), Escaped(bytes, 8).c_str());
  result = _hread(file, bytes, 0);
  Out("io.hread.0", "%ld", static_cast<long>(result));
  HFILE closed = _lclose(file);
  Out("io.lclose", "%d", closed);
  ResetError();
  closed = _lclose(file);
  Out("io.lclose.again", "%d err=%lu", closed, Error());
  ResetError();
  result = _hread(file, bytes, 4);
  Out("io.hread.closed", "%ld err=%lu", static_cast<long>(result), Error());
  ResetError();
  closed = _lclose(HFILE_ERROR);
  Out("io.lclose.error", "%d err=%lu", closed, Error());
  Out("io.file", "%s", FileState(InRoot("rw.bin")).c_str());

  // The extraction's pattern: OpenFile, writes, then a write of nothing at the end.
  OFSTRUCT info;
  file = OpenFile(InRoot("cut.bin").c_str(), &info, OF_CREATE | OF_SHARE_DENY_NONE | OF_READWRITE);
  _hwrite(file, "abcdefghij", 10);
  _llseek(file, 3, FILE_BEGIN);
  result = _hwrite(file, bytes, 0);
  _lclose(file);
  Out("io.openfile.hwrite.0", "%ld then %s", static_cast<long>(result), FileState(InRoot("cut.bin")).c_str());

  // The options file's pattern: OF_READWRITE | OF_SHARE_DENY_NONE, size by seeking, read.
  MakeFile(InRoot("opts.ini"), "sSilent=1\r\n");
  file = OpenFile(InRoot("opts.ini").c_str(), &info, OF_READWRITE | OF_SHARE_DENY_NONE);
  LONG size = _llseek(file, 0, FILE_END);
  LONG start = _llseek(file, 0, FILE_BEGIN);
  memset(bytes, kFill, sizeof bytes);
  LONG got = _hread(file, bytes, size + 5);
  _lclose(file);
  Out("io.options.read", "size=%ld start=%ld got=%ld '%s'", static_cast<long>(size), static_cast<long>(start),
      static_cast<long>(got), Escaped(bytes, 14).c_str());
}

// ---- CreateFileA and CloseHandle -------------------------------------------

void ProbeCreateFileCall(const char *name, const std::string &path, DWORD access, DWORD share, DWORD disposition,
                         DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  ResetError();
  HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, disposition, attributes, nullptr);
  unsigned long error = Error();
  Out(name, "%s err=%lu", file == INVALID_HANDLE_VALUE ? "INVALID_HANDLE_VALUE" : "handle", error);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

void ProbeCreateFile() {
  const DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
  const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
  for (size_t length : {127, 128, 259, 260}) {
    std::string path = PathOfLength("cf", length);
    ProbeCreateFileCall(Name("CreateFileA.create_always.len%zu", length).c_str(), path, readWrite, shareAll,
                        CREATE_ALWAYS);
    ProbeCreateFileCall(Name("CreateFileA.open_existing.len%zu", length).c_str(), path, GENERIC_READ, shareAll,
                        OPEN_EXISTING);
  }
  MakeFile(InRoot("cexist.txt"), "0123456789");
  MakeFile(InRoot("cro.txt"), "readonly");
  MarkReadOnly(InRoot("cro.txt"), true);
  const struct {
    const char *name;
    std::string path;
    DWORD access;
    DWORD disposition;
  } cases[] = {
      {"CreateFileA.create_always.existing", InRoot("cexist.txt"), readWrite, CREATE_ALWAYS},
      {"CreateFileA.create_new.existing", InRoot("cexist.txt"), readWrite, CREATE_NEW},
      {"CreateFileA.create_new.missing", InRoot("cnew.txt"), readWrite, CREATE_NEW},
      {"CreateFileA.open_always.existing", InRoot("cexist.txt"), readWrite, OPEN_ALWAYS},
      {"CreateFileA.open_always.missing", InRoot("calways.txt"), readWrite, OPEN_ALWAYS},
      {"CreateFileA.open_existing.missing", InRoot("missing.txt"), GENERIC_READ, OPEN_EXISTING},
      {"CreateFileA.open_existing.missingdir", InRoot("nodir\\x.txt"), GENERIC_READ, OPEN_EXISTING},
      {"CreateFileA.create_always.missingdir", InRoot("nodir\\x.txt"), readWrite, CREATE_ALWAYS},
      {"CreateFileA.truncate_existing.existing", InRoot("cexist.txt"), GENERIC_WRITE, TRUNCATE_EXISTING},
      {"CreateFileA.truncate_existing.missing", InRoot("missing.txt"), GENERIC_WRITE, TRUNCATE_EXISTING},
      {"CreateFileA.open_existing.readonly.write", InRoot("cro.txt"), GENERIC_WRITE, OPEN_EXISTING},
      {"CreateFileA.open_existing.readonly.read", InRoot("cro.txt"), GENERIC_READ, OPEN_EXISTING},
      {"CreateFileA.create_always.readonly", InRoot("cro.txt"), readWrite, CREATE_ALWAYS},
      {"CreateFileA.open_existing.dir", InRoot("dir"), GENERIC_READ, OPEN_EXISTING},
      {"CreateFileA.create_always.dir", InRoot("dir"), readWrite, CREATE_ALWAYS},
      {"CreateFileA.open_existing.empty", "", GENERIC_READ, OPEN_EXISTING},
      {"CreateFileA.bad_disposition", InRoot("cexist.txt"), GENERIC_READ, 0},
  };
  for (const auto &probe : cases) ProbeCreateFileCall(probe.name, probe.path, probe.access, shareAll, probe.disposition);
  Out("CreateFileA.truncate_existing.file", "%s", FileState(InRoot("cexist.txt")).c_str());

  // Sharing: an exclusive handle keeps others out, a shared one lets them in.
  HANDLE exclusive = CreateFileA(InRoot("cexist.txt").c_str(), readWrite, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ProbeCreateFileCall("CreateFileA.share.afterexclusive", InRoot("cexist.txt"), GENERIC_READ, shareAll, OPEN_EXISTING);
  ResetError();
  HFILE lopened = _lopen(InRoot("cexist.txt").c_str(), OF_READ | OF_SHARE_DENY_NONE);
  Out("_lopen.share.afterexclusive", "%s err=%lu", HandleText(lopened), Error());
  if (lopened != HFILE_ERROR) _lclose(lopened);
  ResetError();
  BOOL deleted = DeleteFileA(InRoot("cexist.txt").c_str());
  Out("DeleteFileA.open.exclusive", "ret=%d err=%lu", deleted, Error());
  CloseHandle(exclusive);
  HANDLE shared = CreateFileA(InRoot("cexist.txt").c_str(), GENERIC_READ, shareAll, nullptr, OPEN_EXISTING, 0, nullptr);
  ProbeCreateFileCall("CreateFileA.share.aftershared", InRoot("cexist.txt"), readWrite, shareAll, OPEN_EXISTING);
  ProbeCreateFileCall("CreateFileA.share.aftershared.exclusive", InRoot("cexist.txt"), GENERIC_READ, 0, OPEN_EXISTING);
  ProbeCreateFileCall("CreateFileA.share.aftershared.readonlyshare", InRoot("cexist.txt"), GENERIC_READ,
                      FILE_SHARE_READ, OPEN_EXISTING);
  CloseHandle(shared);

  // A CreateFileA handle works with the _h/_l calls, as an HFILE is one.
  HANDLE file = CreateFileA(InRoot("cmix.txt").c_str(), readWrite, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  HFILE asHfile = static_cast<HFILE>(reinterpret_cast<INT_PTR>(file));
  LONG wrote = _hwrite(asHfile, "mixed", 5);
  LONG end = _llseek(asHfile, 0, FILE_END);
  ResetError();
  BOOL closed = CloseHandle(file);
  unsigned long error = Error();
  ResetError();
  BOOL closedAgain = CloseHandle(file);
  Out("CreateFileA.hwrite", "wrote=%ld end=%ld", static_cast<long>(wrote), static_cast<long>(end));
  Out("CloseHandle", "ret=%d err=%lu", closed, error);
  Out("CloseHandle.again", "ret=%d err=%lu", closedAgain, Error());
  Out("CreateFileA.hwrite.file", "%s", FileState(InRoot("cmix.txt")).c_str());
  // And an HFILE closes with CloseHandle.
  HFILE lfile = _lcreat(InRoot("lmix.txt").c_str(), 0);
  ResetError();
  BOOL closedHfile = CloseHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(lfile)));
  error = Error();
  HFILE lclosed = _lclose(lfile);
  Out("CloseHandle.hfile", "ret=%d err=%lu then _lclose=%d", closedHfile, error, lclosed);
}

// ---- The log's file: opened as itself, emptied, written a line at a time ----

void ProbeLogFileCalls() {
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | SECURITY_SQOS_PRESENT | SECURITY_ANONYMOUS;
  const std::string path = InRoot("log.txt");
  MakeFile(path, "0123456789");
  ResetError();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, flags, nullptr);
  unsigned long error = Error();
  DWORD written = 99;
  BOOL nothing = WriteFile(file, "", 0, &written, nullptr);
  Out("WriteFile.nothing", "opened=%d err=%lu type=%lu ret=%d written=%lu %s", file != INVALID_HANDLE_VALUE, error,
      static_cast<unsigned long>(GetFileType(file)), nothing, static_cast<unsigned long>(written),
      FileState(path).c_str());
  BOOL cut = SetEndOfFile(file);
  BOOL line = WriteFile(file, "line\r\n", 6, &written, nullptr);
  CloseHandle(file);
  Out("SetEndOfFile.WriteFile", "cut=%d ret=%d written=%lu %s", cut, line, static_cast<unsigned long>(written),
      FileState(path).c_str());
  ProbeCreateFileCall("CreateFileA.create_new.logflags.existing", path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW,
                      flags);
  // A second name shows in the link count, through either name.
  MakeHardLink(InRoot("log2.txt"), path);
  file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, flags, nullptr);
  BY_HANDLE_FILE_INFORMATION information = {};
  BOOL got = GetFileInformationByHandle(file, &information);
  CloseHandle(file);
  Out("GetFileInformationByHandle.hardlink", "ret=%d links=%lu", got,
      static_cast<unsigned long>(information.nNumberOfLinks));
  char temp[MAX_PATH];
  DWORD length = GetTempPathA(sizeof temp, temp);
  Out("GetTempPathA", "fits=%d separator=%d small=%d", length > 0 && length < sizeof temp,
      length > 0 && length < sizeof temp && temp[length - 1] == '\\', GetTempPathA(2, temp) == length + 1);
}

// ---- DeleteFileA and CreateDirectoryA ---------------------------------------

void ProbeDeleteAndCreateDirectory() {
  MakeFile(InRoot("d1.txt"), "x");
  MakeFile(InRoot("dro.txt"), "x");
  MarkReadOnly(InRoot("dro.txt"), true);
  std::string long259 = PathOfLength("dl", 259);
  MakeFile(long259, "x");
  ProbePaths({
      {"DeleteFileA.existing", InRoot("d1.txt")},
      {"DeleteFileA.existing.again", InRoot("d1.txt")},
      {"DeleteFileA.missingdir", InRoot("nodir\\x.txt")},
      {"DeleteFileA.readonly", InRoot("dro.txt")},
      {"DeleteFileA.dir", InRoot("dir")},
      {"DeleteFileA.len259", long259},
      {"DeleteFileA.len260", PathOfLength("dl", 260)},
      {"DeleteFileA.empty", ""},
             },
             "%lu", DeleteFileA);

  MakeFile(InRoot("cdfile"), "x");
  ProbePaths({
      {"CreateDirectoryA.new", InRoot("newdir")},
      {"CreateDirectoryA.existing", InRoot("newdir")},
      {"CreateDirectoryA.existingfile", InRoot("cdfile")},
      {"CreateDirectoryA.missingparent", InRoot("nodir\\sub")},
      {"CreateDirectoryA.trailingslash", InRoot("slashdir\\")},
      {"CreateDirectoryA.trailingdots", InRoot("dotdir. .")},
      {"CreateDirectoryA.root", "C:\\"},
      {"CreateDirectoryA.drive", "C:"},
      {"CreateDirectoryA.relative", "reldir"},
      {"CreateDirectoryA.empty", ""},
      {"CreateDirectoryA.len247", PathOfLength("cd", 247)},
      {"CreateDirectoryA.len248", PathOfLength("cd", 248)},
      {"CreateDirectoryA.len259", PathOfLength("cd", 259)},
      {"CreateDirectoryA.len260", PathOfLength("cd", 260)},
             },
             "%lu", [](const char *path) { return CreateDirectoryA(path, nullptr); });
  ResetError();
  HFILE inDots = _lcreat(InRoot("dotdir\\in.txt").c_str(), 0);
  Out("CreateDirectoryA.trailingdots.use", "%s err=%lu", HandleText(inDots), Error());
  if (inDots != HFILE_ERROR) _lclose(inDots);

  // What an uninstall asks before it deletes, and how folders go.
  MakeFile(InRoot("newdir\\inside.txt"), "x");
  ProbePaths({
      {"GetFileAttributesA.file", InRoot("cdfile")},         {"GetFileAttributesA.readonly", InRoot("dro.txt")},
      {"GetFileAttributesA.dir", InRoot("newdir")},          {"GetFileAttributesA.dirslash", InRoot("newdir\\")},
      {"GetFileAttributesA.missing", InRoot("none.txt")},    {"GetFileAttributesA.missingdir", InRoot("nodir\\x")},
             },
             "%lx", GetFileAttributesA);
  ProbePaths({
      {"RemoveDirectoryA.notempty", InRoot("newdir")}, {"RemoveDirectoryA.file", InRoot("cdfile")},
      {"RemoveDirectoryA.missing", InRoot("none")},    {"RemoveDirectoryA.empty", InRoot("slashdir")},
      {"RemoveDirectoryA.again", InRoot("slashdir")},
             },
             "%lu", RemoveDirectoryA);
}

// ---- Folder rights ---------------------------------------------------------

const char kProtectedRights[] = "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
const char kOwnedRights[] = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

PSECURITY_DESCRIPTOR ProbeConversion(const char *name, const char *text, DWORD revision = SDDL_REVISION_1) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ULONG size = 0;
  ResetError();
  BOOL done = ConvertStringSecurityDescriptorToSecurityDescriptorA(text, revision, &descriptor, &size);
  Out(name, "ret=%d err=%lu size=%lu", done, done ? 0ul : Error(), done ? static_cast<unsigned long>(size) : 0ul);
  return done ? descriptor : nullptr;
}

void ProbeFolderRights() {
  PSECURITY_DESCRIPTOR rights = ProbeConversion("ConvertSddl.protected", kProtectedRights);
  PSECURITY_DESCRIPTOR owned = ProbeConversion("ConvertSddl.owned", kOwnedRights);
  const struct {
    const char *name, *text;
  } invalid[] = {{"ConvertSddl.unknownalias", "D:PAI(A;OICI;FA;;;XX)"},
                 {"ConvertSddl.unclosed", "D:PAI(A;OICI;FA;;;BA"},
                 {"ConvertSddl.badtype", "D:PAI(Z;OICI;FA;;;BA)"},
                 {"ConvertSddl.badflag", "D:PAI(A;QQ;FA;;;BA)"},
                 {"ConvertSddl.badrights", "D:PAI(A;OICI;ZZ;;;BA)"},
                 {"ConvertSddl.badpart", "Q:BA"},
                 {"ConvertSddl.badsid", "O:S-1-x"}};
  for (const auto &probe : invalid) LocalFree(ProbeConversion(probe.name, probe.text));
  LocalFree(ProbeConversion("ConvertSddl.revision2", kProtectedRights, 2));

  SECURITY_ATTRIBUTES security = {sizeof security, rights, FALSE};
  for (const char *name : {"CreateDirectoryA.rights.new", "CreateDirectoryA.rights.existing"}) {
    ResetError();
    BOOL done = CreateDirectoryA(InRoot("ruled").c_str(), &security);
    Out(name, "ret=%d err=%lu", done, Error());
  }
  ResetError();
  HFILE inside = _lcreat(InRoot("ruled\\in.txt").c_str(), 0);
  Out("CreateDirectoryA.rights.use", "%s err=%lu", HandleText(inside), Error());
  if (inside != HFILE_ERROR) _lclose(inside);

  CreateDirectoryA(InRoot("open").c_str(), nullptr);
  const struct {
    const char *name;
    std::string path;
    SECURITY_INFORMATION what;
    PSECURITY_DESCRIPTOR descriptor;
  } sets[] = {{"SetFileSecurityA.existing", InRoot("open"), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, owned},
              {"SetFileSecurityA.daclonly", InRoot("open"), DACL_SECURITY_INFORMATION, rights},
              {"SetFileSecurityA.missing", InRoot("nosuch"), DACL_SECURITY_INFORMATION, owned},
              {"SetFileSecurityA.missingparent", InRoot("nodir\\sub"), DACL_SECURITY_INFORMATION, owned}};
  for (const auto &probe : sets) {
    ResetError();
    BOOL done = SetFileSecurityA(probe.path.c_str(), probe.what, probe.descriptor);
    Out(probe.name, "ret=%d err=%lu", done, done ? 0ul : Error());
  }
  ResetError();
  HFILE afterSet = _lcreat(InRoot("open\\in.txt").c_str(), 0);
  Out("SetFileSecurityA.existing.use", "%s err=%lu", HandleText(afterSet), Error());
  if (afterSet != HFILE_ERROR) _lclose(afterSet);

  // A folder's rights set through a handle to it, as for an existing one.
  CreateDirectoryA(InRoot("held").c_str(), nullptr);
  const DWORD rightsAccess = READ_CONTROL | WRITE_DAC | WRITE_OWNER;
  const DWORD heldAccess = FILE_LIST_DIRECTORY | rightsAccess;
  const DWORD shareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;
  const DWORD folderFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
  ProbeCreateFileCall("CreateFileA.folder.nobackup", InRoot("held"), rightsAccess, shareNoDelete, OPEN_EXISTING);
  ProbeCreateFileCall("CreateFileA.folder.backup.missing", InRoot("nosuch"), rightsAccess, shareNoDelete,
                      OPEN_EXISTING, folderFlags);
  HANDLE readOnly = CreateFileA(InRoot("held").c_str(), READ_CONTROL, shareNoDelete, nullptr, OPEN_EXISTING,
                                folderFlags, nullptr);
  ResetError();
  BOOL done = SetKernelObjectSecurity(readOnly, DACL_SECURITY_INFORMATION, rights);
  Out("SetKernelObjectSecurity.noWriteDac", "ret=%d err=%lu", done, done ? 0ul : Error());
  CloseHandle(readOnly);
  ResetError();
  // Rights access alone takes no part in sharing; listing does.
  HANDLE rightsOnly = CreateFileA(InRoot("held").c_str(), rightsAccess, shareNoDelete, nullptr, OPEN_EXISTING,
                                  folderFlags, nullptr);
  ResetError();
  done = RemoveDirectoryA(InRoot("held").c_str());
  Out("RemoveDirectoryA.held.rightsonly", "ret=%d err=%lu", done, done ? 0ul : Error());
  CloseHandle(rightsOnly);
  CreateDirectoryA(InRoot("held").c_str(), nullptr);
  ResetError();
  HANDLE held = CreateFileA(InRoot("held").c_str(), heldAccess, shareNoDelete, nullptr, OPEN_EXISTING, folderFlags,
                            nullptr);
  Out("CreateFileA.folder.backup", "%s err=%lu", held == INVALID_HANDLE_VALUE ? "INVALID_HANDLE_VALUE" : "handle",
      Error());
  BY_HANDLE_FILE_INFORMATION information = {};
  ResetError();
  done = GetFileInformationByHandle(held, &information);
  Out("GetFileInformationByHandle.folder", "ret=%d attributes=0x%lx err=%lu", done,
      static_cast<unsigned long>(information.dwFileAttributes), done ? 0ul : Error());
  ResetError();
  done = RemoveDirectoryA(InRoot("held").c_str());
  Out("RemoveDirectoryA.held.nodeleteshare", "ret=%d err=%lu", done, done ? 0ul : Error());
  ResetError();
  done = SetKernelObjectSecurity(held, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, owned);
  Out("SetKernelObjectSecurity.folder", "ret=%d err=%lu", done, done ? 0ul : Error());
  CloseHandle(held);
  ResetError();
  HFILE afterHandleSet = _lcreat(InRoot("held\\in.txt").c_str(), 0);
  Out("SetKernelObjectSecurity.folder.use", "%s err=%lu", HandleText(afterHandleSet), Error());
  if (afterHandleSet != HFILE_ERROR) _lclose(afterHandleSet);
  HANDLE file = CreateFileA(InRoot("held\\in.txt").c_str(), GENERIC_READ | GENERIC_WRITE, shareNoDelete, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  information = {};
  ResetError();
  done = GetFileInformationByHandle(file, &information);
  Out("GetFileInformationByHandle.file", "ret=%d attributes=0x%lx err=%lu", done,
      static_cast<unsigned long>(information.dwFileAttributes), done ? 0ul : Error());
  ResetError();
  // INVALID_HANDLE_VALUE would be the process itself.
  done = file != INVALID_HANDLE_VALUE && SetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, rights);
  Out("SetKernelObjectSecurity.filehandle", "ret=%d err=%lu", done, done ? 0ul : Error());
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);

  // Files and missing paths are probed with the uninstall's calls.
  const struct {
    const char *name;
    std::string path;
  } attributes[] = {{"GetFileAttributesA.folder", InRoot("open")},
                    {"GetFileAttributesA.ruled", InRoot("ruled")},
                    {"GetFileAttributesA.empty", ""}};
  for (const auto &probe : attributes) {
    ResetError();
    DWORD value = GetFileAttributesA(probe.path.c_str());
    Out(probe.name, "ret=0x%lx err=%lu", static_cast<unsigned long>(value),
        value == INVALID_FILE_ATTRIBUTES ? Error() : 0ul);
  }
  Out("LocalFree.descriptor", "ret=%s", LocalFree(rights) ? "handle" : "null");
  LocalFree(owned);
}

// ---- Path names ------------------------------------------------------------

void ProbeFullPathName() {
  const char *paths[] = {"",          "C:",        "C:x.txt",  "rel.txt",    ".",          "..",         "..\\..\\..",
                         "a. . ",     "a. .\\b",   "a\\.\\b",   "\\x",        "/x/y",       "C:\\probe\\", "C:\\probe\\..",
                         "c:\\A\\",     "C:\\.",     "...",      "x\\...",     " lead.txt",  "D:",         "D:x",
                         "a.\\b",     "a \\b",     "a..\\b",   "a .\\b",     "a. \\b",     "a\\..\\..\\..\\b", "a//b",
                         "C:\\probe\\x\\.. ", "x. \\.\\y", "C:\\..\\", "/", "C:/", "\\\\server\\share",
                         "\\\\server\\share\\", "\\\\server\\share\\a\\..\\..", "//server/share/x", "\\\\server",
                         "\\\\?\\C:\\", "\\\\.\\C:\\", "\\\\?\\C:\\x\\..", "\\\\.\\C:\\x\\.."};
  for (size_t i = 0; i < sizeof paths / sizeof *paths; ++i) {
    char buffer[300];
    memset(buffer, kFill, sizeof buffer);
    LPSTR filePart = nullptr;
    ResetError();
    DWORD length = GetFullPathNameA(paths[i], sizeof buffer, buffer, &filePart);
    unsigned long error = Error();
    std::string part = filePart ? std::to_string(filePart - buffer) : "null";
    Out(Name("GetFullPathNameA.path%02zu", i).c_str(), "in='%s' ret=%lu err=%lu full=%s filePart=%s", paths[i],
        static_cast<unsigned long>(length), error, length && length < sizeof buffer ? BufferText(buffer, sizeof buffer).c_str() : "-",
        part.c_str());
  }
  // "C:\probe\rel.txt" is 16 characters.
  for (DWORD size : {0u, 1u, 5u, 16u, 17u}) {
    char buffer[32];
    memset(buffer, kFill, sizeof buffer);
    LPSTR filePart = buffer + 31;
    ResetError();
    DWORD length = GetFullPathNameA("rel.txt", size, size ? buffer : nullptr, &filePart);
    unsigned long error = Error();
    std::string part = filePart == buffer + 31 ? "untouched" : filePart ? std::to_string(filePart - buffer) : "null";
    Out(Name("GetFullPathNameA.size%lu", static_cast<unsigned long>(size)).c_str(),
        "ret=%lu err=%lu buffer='%s' filePart=%s", static_cast<unsigned long>(length), error,
        Escaped(buffer, 18).c_str(), part.c_str());
  }
  // Long paths into a buffer that holds them.
  for (size_t length : {259, 260, 300}) {
    std::string longPath = PathOfLength("fp", length);
    char buffer[400];
    ResetError();
    DWORD got = GetFullPathNameA(longPath.c_str(), sizeof buffer, buffer, nullptr);
    Out(Name("GetFullPathNameA.len%zu", length).c_str(), "ret=%lu err=%lu", static_cast<unsigned long>(got), Error());
  }
  // A short name whose full path reaches 260 against the current directory.
  std::string folder = std::string(kRoot) + "\\" + std::string(240, 'f');
  CreateDirectoryA(folder.c_str(), nullptr);
  ChangeDirectory(folder);
  for (size_t length : {18, 19, 30}) {
    char buffer[400];
    ResetError();
    DWORD got = GetFullPathNameA(std::string(length - 1, 'r').c_str(), sizeof buffer, buffer, nullptr);
    Out(Name("GetFullPathNameA.relative.full%zu", folder.size() + length).c_str(), "ret=%lu err=%lu",
        static_cast<unsigned long>(got), Error());
  }
  ChangeDirectory(kRoot);
}

void ProbeShortPathName() {
  MakeFile(InRoot("SHORT.TXT"), "x");
  MakeFile(InRoot("lower.txt"), "x");
  CreateDirectoryA(InRoot("Mixed Dir").c_str(), nullptr);
  MakeFile(InRoot("Mixed Dir\\IN.TXT"), "x");
  MakeFile(InRoot("a long name.text"), "x");
  const char *paths[] = {"C:\\probe\\SHORT.TXT", "C:\\probe\\missing.txt", "C:\\probe\\nodir\\x.txt",
                         "C:\\probe\\short.txt", "C:\\probe\\dir",        "C:\\probe\\dir\\",
                         "rel.txt",              "",                      "C:\\PROBE\\SHORT.TXT",
                         "C:\\probe\\LOWER.TXT",   "c:\\probe\\lower.txt",   "SHORT.TXT",
                         ".\\SHORT.TXT",           "C:\\probe\\SHORT.TXT\\",  "C:/probe/SHORT.TXT",
                         "C:\\probe\\.\\SHORT.TXT",  "C:\\probe\\x\\..\\SHORT.TXT"};
  for (size_t i = 0; i < sizeof paths / sizeof *paths; ++i) {
    char buffer[300];
    memset(buffer, kFill, sizeof buffer);
    ResetError();
    DWORD length = GetShortPathNameA(paths[i], buffer, sizeof buffer);
    Out(Name("GetShortPathNameA.path%zu", i).c_str(), "in='%s' ret=%lu err=%lu short=%s", paths[i],
        static_cast<unsigned long>(length), Error(), length && length < sizeof buffer ? BufferText(buffer, sizeof buffer).c_str() : "-");
  }
  // "C:\probe\SHORT.TXT" is 18 characters.
  for (DWORD size : {0u, 1u, 17u, 18u, 19u}) {
    char buffer[32];
    memset(buffer, kFill, sizeof buffer);
    ResetError();
    DWORD length = GetShortPathNameA("C:\\probe\\SHORT.TXT", size ? buffer : nullptr, size);
    Out(Name("GetShortPathNameA.size%lu", static_cast<unsigned long>(size)).c_str(), "ret=%lu err=%lu buffer='%s'",
        static_cast<unsigned long>(length), Error(), Escaped(buffer, 20).c_str());
  }
  // Long names' short forms: not the long names themselves.
  for (const char *name : {"a long name.text", "Mixed Dir\\IN.TXT"}) {
    std::string longName = InRoot(name);
    char buffer[300];
    ResetError();
    DWORD length = GetShortPathNameA(longName.c_str(), buffer, sizeof buffer);
    Out(Name("GetShortPathNameA.longname '%s'", name).c_str(), "ret=%lu err=%lu short=%s",
        static_cast<unsigned long>(length), Error(),
        length && length < sizeof buffer ? BufferText(buffer, sizeof buffer).c_str() : "-");
  }
}

void ProbeModuleFileName() {
  char full[1024];
  DWORD length = GetModuleFileNameA(nullptr, full, sizeof full);
  Out("GetModuleFileNameA.full", "ret=%s nul=%s", length == strlen(full) ? "len" : "other",
      length < sizeof full && full[length] == '\0' ? "len" : "other");
  // Return values and NUL positions relative to the path's length L.
  const struct {
    const char *name;
    int offset;
  } cases[] = {{"GetModuleFileNameA.sizeL+1", 1}, {"GetModuleFileNameA.sizeL", 0}, {"GetModuleFileNameA.sizeL-1", -1}};
  for (const auto &probe : cases) {
    char buffer[1024];
    memset(buffer, kFill, sizeof buffer);
    DWORD size = static_cast<DWORD>(static_cast<int>(length) + probe.offset);
    ResetError();
    DWORD got = GetModuleFileNameA(nullptr, buffer, size);
    unsigned long error = Error();
    const char *nul = static_cast<const char *>(memchr(buffer, '\0', sizeof buffer));
    std::string at = nul ? Name("L%+ld", static_cast<long>(nul - buffer) - static_cast<long>(length)) : "none";
    bool prefix = memcmp(buffer, full, size > 0 ? size - 1 : 0) == 0;
    Out(probe.name, "ret=L%+ld err=%lu nul=%s prefix=%s", static_cast<long>(got) - static_cast<long>(length), error,
        at.c_str(), prefix ? "yes" : "no");
  }
  for (DWORD size : {1u, 0u}) {
    char buffer[8];
    memset(buffer, kFill, sizeof buffer);
    ResetError();
    DWORD got = GetModuleFileNameA(nullptr, buffer, size);
    Out(Name("GetModuleFileNameA.size%lu", static_cast<unsigned long>(size)).c_str(), "ret=%lu err=%lu buffer='%s'",
        static_cast<unsigned long>(got), Error(), Escaped(buffer, 2).c_str());
  }
}

// ---- Registry ---------------------------------------------------------------

const char kScratchKey[] = "Software\\ProbeConformance";

// The value's bytes: letters that tell their position, so a cut shows.
std::string ValueText(size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
  return text;
}

// What a RegQueryValueA left in the buffer: how many leading bytes match the
// value, where the first NUL is, how many bytes it left as they were, and
// whether it wrote past the size it was given. With ERROR_MORE_DATA the
// contents are undefined (the stand-in fills them): only the last counts.
std::string QueryOutcome(LONG result, const char *buffer, LONG given, const std::string &value) {
  size_t limit = given > 0 ? static_cast<size_t>(given) : 0;
  if (result == ERROR_MORE_DATA) return buffer[limit] != kFill ? "past=WRITTEN" : "past=no";
  size_t match = 0;
  while (match < limit && match < value.size() && buffer[match] == value[match]) ++match;
  const void *nul = memchr(buffer, '\0', limit);
  size_t untouched = 0;
  for (size_t i = 0; i < limit; ++i) untouched += buffer[i] == kFill;
  bool past = buffer[limit] != kFill;
  return Name("match=%zu nul=%s untouched=%zu past=%s", match,
              nul ? std::to_string(static_cast<const char *>(nul) - buffer).c_str() : "none", untouched,
              past ? "WRITTEN" : "no");
}

void ProbeRegQueryValue() {
  HKEY scratch;
  RegCreateKeyA(HKEY_CURRENT_USER, kScratchKey, &scratch);
  for (size_t length : {0, 3, 259, 260, 700}) {
    std::string value = ValueText(length);
    for (bool withNul : {true, false}) {
      HKEY key;
      std::string keyName = Name("q%zu%s", length, withNul ? "nul" : "raw");
      RegCreateKeyA(scratch, keyName.c_str(), &key);
      // Without the NUL the byte after the data is no NUL either: a NUL
      // there would be stored too (see RegSetValueExA.forgotnul).
      std::string bytes = withNul ? value + '\0' : value + '!';
      DWORD stored = static_cast<DWORD>(length + (withNul ? 1 : 0));
      LONG set = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(bytes.data()), stored);
      std::string base = Name("RegQueryValueA.len%zu.%s", length, withNul ? "nul" : "nonul");
      LONG sizeOnly = 0;
      LONG result = RegQueryValueA(key, nullptr, nullptr, &sizeOnly);
      Out((base + ".nullbuffer").c_str(), "set=%ld ret=%ld size=%ld", static_cast<long>(set), static_cast<long>(result),
          static_cast<long>(sizeOnly));
      std::vector<LONG> sizes = {0, 1, static_cast<LONG>(length), static_cast<LONG>(length) + 1, 1024};
      if (length > 1) sizes.push_back(static_cast<LONG>(length) - 1);
      for (size_t i = 0; i < sizes.size(); ++i) {
        bool repeated = false;
        for (size_t j = 0; j < i; ++j) repeated |= sizes[j] == sizes[i];
        if (repeated) continue;
        std::vector<char> buffer(1100, kFill);
        LONG size = sizes[i];
        result = RegQueryValueA(key, nullptr, buffer.data(), &size);
        Out(Name("%s.buf%ld", base.c_str(), static_cast<long>(sizes[i])).c_str(), "ret=%ld size=%ld %s",
            static_cast<long>(result), static_cast<long>(size), QueryOutcome(result, buffer.data(), sizes[i], value).c_str());
      }
      // Through the subkey name rather than an open handle.
      std::vector<char> buffer(1100, kFill);
      LONG size = 1024;
      result = RegQueryValueA(scratch, keyName.c_str(), buffer.data(), &size);
      Out((base + ".subkey").c_str(), "ret=%ld size=%ld %s", static_cast<long>(result), static_cast<long>(size),
          QueryOutcome(result, buffer.data(), 1024, value).c_str());
      DWORD type = 0;
      DWORD exSize = 1024;
      result = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()), &exSize);
      Out((base + ".ex").c_str(), "ret=%ld type=%lu size=%lu", static_cast<long>(result), static_cast<unsigned long>(type),
          static_cast<unsigned long>(exSize));
      RegCloseKey(key);
    }
  }

  // A key without a default value, a missing key, and odd arguments.
  HKEY empty;
  RegCreateKeyA(scratch, "novalue", &empty);
  char buffer[16];
  memset(buffer, kFill, sizeof buffer);
  LONG size = sizeof buffer;
  LONG result = RegQueryValueA(empty, nullptr, buffer, &size);
  Out("RegQueryValueA.novalue", "ret=%ld size=%ld buffer='%s'", static_cast<long>(result), static_cast<long>(size),
      Escaped(buffer, 3).c_str());
  size = 0;
  result = RegQueryValueA(empty, nullptr, nullptr, &size);
  Out("RegQueryValueA.novalue.nullbuffer", "ret=%ld size=%ld", static_cast<long>(result), static_cast<long>(size));
  size = sizeof buffer;
  result = RegQueryValueA(scratch, "nosuchkey", buffer, &size);
  Out("RegQueryValueA.missingkey", "ret=%ld size=%ld", static_cast<long>(result), static_cast<long>(size));
  result = RegQueryValueA(empty, nullptr, nullptr, nullptr);
  Out("RegQueryValueA.nullboth", "ret=%ld", static_cast<long>(result));
  // A string counted without its NUL while one follows it in memory.
  const struct {
    const char *name;
    DWORD type;
    const char *data;
    DWORD size;
  } forgotten[] = {
      {"RegSetValueExA.forgotnul.sz", REG_SZ, "abc", 3},
      {"RegSetValueExA.forgotnul.expand", REG_EXPAND_SZ, "abc", 3},
      {"RegSetValueExA.forgotnul.binary", REG_BINARY, "abc", 3},
      {"RegSetValueExA.forgotnul.sz.one", REG_SZ, "a", 1},
      {"RegSetValueExA.twonuls.sz", REG_SZ, "ab\0\0", 4},
  };
  for (const auto &probe : forgotten) {
    LONG set = RegSetValueExA(scratch, "forgotten", 0, probe.type, reinterpret_cast<const BYTE *>(probe.data), probe.size);
    DWORD type = 0;
    DWORD stored = 0;
    LONG read = RegQueryValueExA(scratch, "forgotten", nullptr, &type, nullptr, &stored);
    Out(probe.name, "set=%ld read=%ld type=%lu size=%lu", static_cast<long>(set), static_cast<long>(read),
        static_cast<unsigned long>(type), static_cast<unsigned long>(stored));
  }

  HKEY binary;
  RegCreateKeyA(scratch, "binary", &binary);
  RegSetValueExA(binary, nullptr, 0, REG_BINARY, reinterpret_cast<const BYTE *>("ab\0cd"), 5);
  memset(buffer, kFill, sizeof buffer);
  size = sizeof buffer;
  result = RegQueryValueA(binary, nullptr, buffer, &size);
  Out("RegQueryValueA.binary", "ret=%ld size=%ld buffer='%s'", static_cast<long>(result), static_cast<long>(size),
      Escaped(buffer, 6).c_str());
  RegCloseKey(binary);
  RegCloseKey(empty);
  RegCloseKey(scratch);
}

void ProbeRegistryWrites() {
  HKEY scratch;
  RegCreateKeyA(HKEY_CURRENT_USER, kScratchKey, &scratch);
  // Walking and deleting, as an uninstall does.
  RegSetValueA(scratch, "walk\\b-long-name\\deeper", REG_SZ, "x", 2);
  RegSetValueA(scratch, "walk\\a", REG_SZ, "y", 2);
  HKEY walk;
  LONG walked = RegOpenKeyExA(scratch, "walk", 0, KEY_READ | KEY_WRITE, &walk);
  char name[8];
  std::string names;
  for (DWORD index = 0; walked == ERROR_SUCCESS; ++index) {
    LONG got = RegEnumKeyA(walk, index, name, sizeof name);
    names += Name(" %ld", static_cast<long>(got)) + (got == ERROR_SUCCESS ? std::string(":") + name : "");
    if (got != ERROR_SUCCESS && got != ERROR_MORE_DATA) break;
  }
  Out("RegEnumKeyA.walk", "open=%ld%s", static_cast<long>(walked), names.c_str());
  DWORD subKeys = 99, values = 99;
  LONG info = RegQueryInfoKeyA(walk, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr);
  Out("RegQueryInfoKeyA.walk", "ret=%ld subkeys=%lu values=%lu", static_cast<long>(info),
      static_cast<unsigned long>(subKeys), static_cast<unsigned long>(values));
  Out("RegDeleteKeyA.withsubkey", "ret=%ld", static_cast<long>(RegDeleteKeyA(walk, "b-long-name")));
  Out("RegDeleteKeyA.leaf", "ret=%ld", static_cast<long>(RegDeleteKeyA(walk, "a")));
  Out("RegDeleteKeyA.missing", "ret=%ld", static_cast<long>(RegDeleteKeyA(walk, "a")));
  HKEY leaf;
  RegOpenKeyExA(walk, "b-long-name\\deeper", 0, KEY_READ | KEY_WRITE, &leaf);
  Out("RegDeleteValueA.default", "ret=%ld", static_cast<long>(RegDeleteValueA(leaf, "")));
  Out("RegDeleteValueA.again", "ret=%ld", static_cast<long>(RegDeleteValueA(leaf, "")));
  RegCloseKey(leaf);
  RegCloseKey(walk);
  // RegSetValueA: the whole string with its NUL whatever the size says.
  const struct {
    const char *name;
    const char *subKey;
    DWORD type;
    const char *data;
    DWORD size;
  } sets[] = {
      {"RegSetValueA.sizeshort", nullptr, REG_SZ, "abc", 1},
      {"RegSetValueA.sizezero", "setzero", REG_SZ, "abcd", 0},
      {"RegSetValueA.subkey", "setsub\\deeper", REG_SZ, "xyz", 4},
      {"RegSetValueA.dword", "setdword", REG_DWORD, "abc", 4},
      {"RegSetValueA.nulldata", "setnull", REG_SZ, nullptr, 0},
      {"RegSetValueA.expand", "setexpand", REG_EXPAND_SZ, "abc", 4},
  };
  for (const auto &probe : sets) {
    LONG result = RegSetValueA(scratch, probe.subKey, probe.type, probe.data, probe.size);
    HKEY key;
    DWORD stored = 0;
    DWORD type = 0;
    LONG opened = RegOpenKeyA(scratch, probe.subKey, &key);
    LONG read = opened == ERROR_SUCCESS ? RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &stored) : opened;
    if (opened == ERROR_SUCCESS && key != scratch) RegCloseKey(key);
    Out(probe.name, "ret=%ld then read=%ld type=%lu size=%lu", static_cast<long>(result), static_cast<long>(read),
        static_cast<unsigned long>(type), static_cast<unsigned long>(stored));
  }

  // Key names: odd forms and the 255-character limit of one level.
  const struct {
    const char *name;
    std::string subKey;
  } creates[] = {
      {"RegCreateKeyA.new", "made"},
      {"RegCreateKeyA.existing", "made"},
      {"RegCreateKeyA.case", "MADE"},
      {"RegCreateKeyA.trailing", "made2\\"},
      {"RegCreateKeyA.leading", "\\made3"},
      {"RegCreateKeyA.double", "made4\\\\x"},
      {"RegCreateKeyA.len255", std::string(255, 'k')},
      {"RegCreateKeyA.len256", std::string(256, 'k')},
      {"RegCreateKeyA.len259", std::string(259, 'k')},
      {"RegCreateKeyA.dots", "a. ."},
  };
  for (const auto &probe : creates) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyA(scratch, probe.subKey.c_str(), &key);
    if (result == ERROR_SUCCESS) RegCloseKey(key);
    Out(probe.name, "ret=%ld", static_cast<long>(result));
  }
  // No subkey: the handle given, or a new one (which must then be closed)?
  LONG result = ERROR_SUCCESS;
  for (HKEY base : {scratch, HKEY_CURRENT_USER}) {
    const char *baseName = base == scratch ? "key" : "root";
    for (const char *subKey : {static_cast<const char *>(nullptr), ""}) {
      const char *form = subKey ? "empty" : "null";
      HKEY same = nullptr;
      result = RegCreateKeyA(base, subKey, &same);
      Out(Name("RegCreateKeyA.%ssubkey.%s", form, baseName).c_str(), "ret=%ld same=%s", static_cast<long>(result),
          same == base ? "yes" : "no");
      if (result == ERROR_SUCCESS && same != base) RegCloseKey(same);
      same = nullptr;
      result = RegOpenKeyA(base, subKey, &same);
      Out(Name("RegOpenKeyA.%ssubkey.%s", form, baseName).c_str(), "ret=%ld same=%s", static_cast<long>(result),
          same == base ? "yes" : "no");
      if (result == ERROR_SUCCESS && same != base) RegCloseKey(same);
    }
  }
  HKEY opened;
  Out("RegOpenKeyA.missing", "ret=%ld", static_cast<long>(RegOpenKeyA(scratch, "nosuchkey", &opened)));
  RegOpenKeyA(scratch, "made", &opened);
  Out("RegCloseKey", "ret=%ld", static_cast<long>(RegCloseKey(opened)));
  Out("RegCloseKey.again", "ret=%ld", static_cast<long>(RegCloseKey(opened)));
  Out("RegCloseKey.root", "ret=%ld", static_cast<long>(RegCloseKey(HKEY_CLASSES_ROOT)));

  // A key whose security lets anyone read it but nobody write it or add to it.
  std::string locked = std::string(kScratchKey) + "\\locked";
  HKEY setup;
  RegCreateKeyA(HKEY_CURRENT_USER, locked.c_str(), &setup);
  RegSetValueA(setup, nullptr, REG_SZ, "before", 7);
  RegCreateKeyA(setup, "child", &opened);
  RegCloseKey(opened);
  RegCloseKey(setup);
  Out("registry.locked.setup", "%s", DenyKeyWrites(HKEY_CURRENT_USER, locked.c_str()) ? "ok" : "failed");
  HKEY key = nullptr;
  result = RegCreateKeyA(HKEY_CURRENT_USER, locked.c_str(), &key);
  Out("RegCreateKeyA.locked", "ret=%ld", static_cast<long>(result));
  if (result == ERROR_SUCCESS) {
    Out("RegSetValueA.locked.handle", "ret=%ld",
        static_cast<long>(RegSetValueA(key, nullptr, REG_SZ, "after", 6)));
    Out("RegSetValueExA.locked.handle", "ret=%ld",
        static_cast<long>(RegSetValueExA(key, "name", 0, REG_SZ, reinterpret_cast<const BYTE *>("v"), 2)));
    HKEY child = nullptr;
    LONG made = RegCreateKeyA(key, "newchild", &child);
    if (made == ERROR_SUCCESS) RegCloseKey(child);
    Out("RegCreateKeyA.locked.newchild", "ret=%ld", static_cast<long>(made));
    made = RegCreateKeyA(key, "child", &child);
    if (made == ERROR_SUCCESS) RegCloseKey(child);
    Out("RegCreateKeyA.locked.existingchild", "ret=%ld", static_cast<long>(made));
    Out("RegSetValueA.locked.newchild", "ret=%ld",
        static_cast<long>(RegSetValueA(key, "newchild2", REG_SZ, "v", 2)));
    Out("RegSetValueA.locked.existingchild", "ret=%ld", static_cast<long>(RegSetValueA(key, "child", REG_SZ, "v", 2)));
    RegCloseKey(key);
  }
  Out("RegSetValueA.locked.path", "ret=%ld",
      static_cast<long>(RegSetValueA(HKEY_CURRENT_USER, locked.c_str(), REG_SZ, "after", 6)));
  char buffer[16];
  LONG size = sizeof buffer;
  result = RegQueryValueA(HKEY_CURRENT_USER, locked.c_str(), buffer, &size);
  Out("RegQueryValueA.locked", "ret=%ld size=%ld buffer='%s'", static_cast<long>(result), static_cast<long>(size),
      result == ERROR_SUCCESS ? buffer : "");
  result = RegOpenKeyA(HKEY_CURRENT_USER, locked.c_str(), &key);
  if (result == ERROR_SUCCESS) RegCloseKey(key);
  Out("RegOpenKeyA.locked", "ret=%ld", static_cast<long>(result));

  // The classes root, as the installer writes it.
  result = RegCreateKeyA(HKEY_CLASSES_ROOT, ".probeconformance", &key);
  LONG set = result == ERROR_SUCCESS ? RegSetValueA(key, nullptr, REG_SZ, "probefile", 10) : -1;
  if (result == ERROR_SUCCESS) RegCloseKey(key);
  size = sizeof buffer;
  LONG read = RegQueryValueA(HKEY_CLASSES_ROOT, ".probeconformance", buffer, &size);
  Out("RegSetValueA.classes", "create=%ld set=%ld read=%ld size=%ld", static_cast<long>(result), static_cast<long>(set),
      static_cast<long>(read), static_cast<long>(size));
  RegCloseKey(scratch);
}

// ---- Global memory ----------------------------------------------------------

void ProbeGlobalMemory() {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 16);
  void *pointer = GlobalLock(block);
  Out("GlobalAlloc.moveable16", "%s lock=%s handle=%s", block ? "handle" : "null", pointer ? "pointer" : "null",
      GlobalHandle(pointer) == block ? "same" : "other");
  void *again = GlobalLock(block);
  Out("GlobalLock.again", "%s", again == pointer ? "same" : "other");
  ResetError();
  BOOL unlocked = GlobalUnlock(block);
  Out("GlobalUnlock.stilllocked", "ret=%d err=%lu", unlocked, Error());
  ResetError();
  unlocked = GlobalUnlock(block);
  Out("GlobalUnlock.last", "ret=%d err=%lu", unlocked, Error());
  ResetError();
  unlocked = GlobalUnlock(block);
  Out("GlobalUnlock.notlocked", "ret=%d err=%lu", unlocked, Error());
  ResetError();
  HGLOBAL freed = GlobalFree(block);
  Out("GlobalFree", "%s err=%lu", freed ? "handle" : "null", Error());

  block = GlobalAlloc(GMEM_MOVEABLE, 0);
  ResetError();
  pointer = GlobalLock(block);
  unsigned long error = Error();
  Out("GlobalAlloc.moveable0", "%s lock=%s err=%lu", block ? "handle" : "null", pointer ? "pointer" : "null", error);
  if (pointer) GlobalUnlock(block);
  Out("GlobalFree.moveable0", "%s", GlobalFree(block) ? "handle" : "null");

  block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8);
  unsigned char *bytes = static_cast<unsigned char *>(GlobalLock(block));
  int zeros = 0;
  for (int i = 0; bytes && i < 8; ++i) zeros += bytes[i] == 0;
  Out("GlobalAlloc.zeroinit", "zeros=%d", zeros);
  // Freed while locked, as the installer never does but could.
  Out("GlobalFree.locked", "%s", GlobalFree(block) ? "handle" : "null");

  for (SIZE_T size : {16, 0}) {
    block = GlobalAlloc(GMEM_FIXED, size);
    pointer = GlobalLock(block);
    Out(Name("GlobalAlloc.fixed%zu", static_cast<size_t>(size)).c_str(), "%s lock=%s handle=%s",
        block ? "handle" : "null", pointer == block ? "same" : pointer ? "other" : "null",
        GlobalHandle(pointer) == block ? "same" : "other");
    ResetError();
    unlocked = GlobalUnlock(block);
    Out(Name("GlobalUnlock.fixed%zu", static_cast<size_t>(size)).c_str(), "ret=%d err=%lu", unlocked, Error());
    GlobalFree(block);
  }
  Out("GlobalFree.null", "%s", GlobalFree(nullptr) ? "handle" : "null");
}

// ---- Locale and version -----------------------------------------------------

void ProbeLocaleAndVersion() {
  for (int size : {10, 2, 1, 0}) {
    char buffer[16];
    memset(buffer, kFill, sizeof buffer);
    ResetError();
    int got = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, size ? buffer : nullptr, size);
    Out(Name("GetLocaleInfoA.ICOUNTRY.size%d", size).c_str(), "ret=%d err=%lu buffer='%s'", got, Error(),
        Escaped(buffer, 3).c_str());
  }
  DWORD version = GetVersion();
  Out("GetVersion.highbit", "%lu", static_cast<unsigned long>(version >> 31));
}

// ---- Current directory, tick count, starting a program, the formatter -------

// The installer formats through wvsprintfA.
int Format(char *buffer, const char *format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int length = wvsprintfA(buffer, format, arguments);
  va_end(arguments);
  return length;
}

void ProbeProcessAndFormatter() {
  for (DWORD size : {0u, 8u, 9u, 64u}) {  // "C:\probe" is 8 characters
    char buffer[64];
    memset(buffer, kFill, sizeof buffer);
    DWORD length = GetCurrentDirectoryA(size, size ? buffer : nullptr);
    Out(Name("GetCurrentDirectoryA.size%lu", static_cast<unsigned long>(size)).c_str(), "ret=%lu buffer='%s'",
        static_cast<unsigned long>(length), Escaped(buffer, 10).c_str());
  }
  DWORD first = GetTickCount();
  DWORD second = GetTickCount();
  Out("GetTickCount", "%s", second - first < 1000 ? "steady" : "jumped");
  UINT started = WinExec("C:\\probe\\nosuchprogram.exe", SW_SHOWNORMAL);
  Out("WinExec.missing", "ret=%u", started);

  // The installer's formats, and the formatter's limit of 1,024 characters.
  std::string half(600, 'h');
  const struct {
    const char *name;
    const char *format;
    const char *text;
    long number;
  } formats[] = {
      {"wvsprintfA.d", "%d", "", -42},
      {"wvsprintfA.percent", "%ld%%", "", 99},
      {"wvsprintfA.path", "%s\\%s", "C:\\MLUME", 0},
      {"wvsprintfA.long", "%s\\%s", half.c_str(), 0},
  };
  for (const auto &probe : formats) {
    std::vector<char> buffer(2048, kFill);
    int length = probe.text[0] ? Format(buffer.data(), probe.format, probe.text, probe.text)
                               : Format(buffer.data(), probe.format, probe.number);
    const void *nul = memchr(buffer.data(), '\0', buffer.size());
    size_t untouched = 0;
    for (char c : buffer) untouched += c == kFill;
    Out(probe.name, "ret=%d nul=%ld untouched=%zu text='%s'", length,
        nul ? static_cast<long>(static_cast<const char *>(nul) - buffer.data()) : -1L, untouched,
        Escaped(buffer.data(), length > 0 && length < 40 ? static_cast<size_t>(length) : 0).c_str());
  }
}

// ---- Free space and named mutexes ------------------------------------------

// Sizes differ from machine to machine: only whether they hang together.
void ProbeFreeSpaceCall(const char *name, const std::string &path) {
  ULARGE_INTEGER available, total, totalFree;
  ResetError();
  BOOL ok = GetDiskFreeSpaceExA(path.c_str(), &available, &total, &totalFree);
  if (ok)
    Out(name, "%d sizes %s", ok,
        available.QuadPart <= totalFree.QuadPart && totalFree.QuadPart <= total.QuadPart ? "consistent" : "inconsistent");
  else
    Out(name, "%d err=%lu", ok, Error());
}

void ProbeFreeSpace() {
  MakeFile(InRoot("space.txt"), "x");
  ProbeFreeSpaceCall("GetDiskFreeSpaceExA.root", "C:\\");
  ProbeFreeSpaceCall("GetDiskFreeSpaceExA.folder", kRoot);
  ProbeFreeSpaceCall("GetDiskFreeSpaceExA.folderslash", InRoot(""));
  ProbeFreeSpaceCall("GetDiskFreeSpaceExA.missing", InRoot("missing"));
  ProbeFreeSpaceCall("GetDiskFreeSpaceExA.missingdeeper", InRoot("missing\\deeper"));
  ProbeFreeSpaceCall("GetDiskFreeSpaceExA.file", InRoot("space.txt"));
  ProbeFreeSpaceCall("GetDiskFreeSpaceExA.nodrive", "Q:\\");
  for (const char *root : {"C:\\", "Q:\\"}) {
    DWORD sectors = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    ResetError();
    BOOL ok = GetDiskFreeSpaceA(root, &sectors, &bytesPerSector, &freeClusters, &clusters);
    unsigned long error = ok ? 0 : Error();
    Out(Name("GetDiskFreeSpaceA.%c", root[0]).c_str(), "%d err=%lu cluster %s", ok, error,
        sectors && bytesPerSector && freeClusters <= clusters ? "sound" : "none");
  }
}

void ProbeMutexCall(const char *name, const char *mutexName, std::vector<HANDLE> &open) {
  SetLastError(12345);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, mutexName);
  Out(name, "%s err=%lu", mutex ? "handle" : "null", Error());
  if (mutex) open.push_back(mutex);
}

void ProbeMutexes() {
  std::vector<HANDLE> open;
  ProbeMutexCall("CreateMutexA.global", "Global\\MoraLUME probe", open);
  ProbeMutexCall("CreateMutexA.global.again", "Global\\MoraLUME probe", open);
  ProbeMutexCall("CreateMutexA.global.bare", "MoraLUME probe", open);
  ProbeMutexCall("CreateMutexA.global.local", "Local\\MoraLUME probe", open);
  ProbeMutexCall("CreateMutexA.unnamed", nullptr, open);
  ProbeMutexCall("CreateMutexA.otherprefix", "Other\\MoraLUME probe", open);
  ProbeMutexCall("CreateMutexA.nested", "Global\\MoraLUME\\probe", open);
  int closed = 0;
  for (HANDLE mutex : open) closed += CloseHandle(mutex);
  Out("CloseHandle.mutexes", "%d of %d", closed, static_cast<int>(open.size()));
  open.clear();
  ProbeMutexCall("CreateMutexA.global.afterclose", "Global\\MoraLUME probe", open);
  for (HANDLE mutex : open) CloseHandle(mutex);
}

// ---- Threads, events and counters --------------------------------------------

DWORD WINAPI ProbeThreadBody(LPVOID parameter) {
  // The thread's own last error, apart from the caller's.
  SetLastError(777);
  *static_cast<int *>(parameter) = 1;
  return 0;
}

void ProbeThreads() {
  // The counters the threads hand the ring's slots over with.
  LONG volatile counter = 5;
  LONG unmatched = InterlockedCompareExchange(&counter, 9, 4);
  LONG matched = InterlockedCompareExchange(&counter, 7, 5);
  LONG incremented = InterlockedIncrement(&counter);
  LONG decremented = InterlockedDecrement(&counter);
  LONG exchanged = InterlockedExchange(&counter, 2);
  Out("Interlocked", "cmpxchg=%ld,%ld inc=%ld dec=%ld xchg=%ld now=%ld", static_cast<long>(unmatched),
      static_cast<long>(matched), static_cast<long>(incremented), static_cast<long>(decremented),
      static_cast<long>(exchanged), static_cast<long>(counter));

  HANDLE autoEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE manualEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  Out("CreateEventA", "%s %s", autoEvent ? "handle" : "null", manualEvent ? "handle" : "null");
  HANDLE both[2] = {manualEvent, autoEvent};
  Out("WaitForMultipleObjects.none", "0x%lx", static_cast<unsigned long>(WaitForMultipleObjects(2, both, FALSE, 0)));
  SetEvent(autoEvent);
  SetEvent(manualEvent);
  DWORD lowest = WaitForMultipleObjects(2, both, FALSE, 0);
  DWORD again = WaitForMultipleObjects(2, both, FALSE, 0);
  DWORD autoAfter = WaitForSingleObject(autoEvent, 0);
  Out("WaitForMultipleObjects.lowestfirst", "0x%lx 0x%lx auto=0x%lx", static_cast<unsigned long>(lowest),
      static_cast<unsigned long>(again), static_cast<unsigned long>(autoAfter));
  SetLastError(12345);
  Out("WaitForMultipleObjects.zero", "0x%lx err=%lu", static_cast<unsigned long>(WaitForMultipleObjects(0, both, FALSE, 0)),
      Error());

  int ran = 0;
  SetLastError(12345);
  HANDLE thread = CreateThread(nullptr, 0, ProbeThreadBody, &ran, 0, nullptr);
  DWORD ended = WaitForSingleObject(thread, INFINITE);
  Out("CreateThread", "%s ended=0x%lx again=0x%lx ran=%d err=%lu", thread ? "handle" : "null",
      static_cast<unsigned long>(ended), static_cast<unsigned long>(WaitForSingleObject(thread, 0)), ran, Error());
  HANDLE handles[3] = {autoEvent, manualEvent, thread};
  int closed = 0;
  for (HANDLE handle : handles) closed += CloseHandle(handle);
  Out("CloseHandle.sync", "%d of 3", closed);
  SetLastError(12345);
  DWORD closedWait = WaitForSingleObject(autoEvent, 0);
  Out("WaitForSingleObject.closed", "0x%lx err=%lu", static_cast<unsigned long>(closedWait), Error());
}

// ---- Resources --------------------------------------------------------------

void ProbeResources() {
  HRSRC found = FindResourceA(Instance(), MAKEINTRESOURCEA(100), RT_DIALOG);
  Out("FindResourceA.dialog", "%s", found ? "handle" : "null");
  DWORD size = SizeofResource(Instance(), found);
  HGLOBAL loaded = LoadResource(Instance(), found);
  const unsigned char *bytes = static_cast<const unsigned char *>(LockResource(loaded));
  unsigned long style = bytes ? bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<unsigned long>(bytes[3]) << 24 : 0;
  Out("LockResource.dialog", "size=%lu %s style=0x%08lx", static_cast<unsigned long>(size), bytes ? "pointer" : "null",
      style);
  Out("FreeResource", "ret=%d", FreeResource(loaded));
  ResetError();
  HRSRC missing = FindResourceA(Instance(), MAKEINTRESOURCEA(999), RT_DIALOG);
  Out("FindResourceA.missingname", "%s err=%lu", missing ? "handle" : "null", Error());
  ResetError();
  missing = FindResourceA(Instance(), MAKEINTRESOURCEA(100), MAKEINTRESOURCEA(77));
  Out("FindResourceA.missingtype", "%s err=%lu", missing ? "handle" : "null", Error());
}

// ---- Windows and controls of the dialog -------------------------------------

const int kEntry = 101, kCheckBox = 102, kText = 103, kTextBox = 104;

void ProbeControls(HWND dialog) {
  HWND entry = GetDlgItem(dialog, kEntry);
  Out("GetDlgItem", "%s missing=%s", entry ? "handle" : "null", GetDlgItem(dialog, 999) ? "handle" : "null");
  Out("GetDlgCtrlID", "%d", GetDlgCtrlID(entry));
  Out("IsWindow", "entry=%d null=%d", IsWindow(entry), IsWindow(nullptr));
  Out("SetDlgItemTextA", "ret=%d", SetDlgItemTextA(dialog, kEntry, "hello world"));
  Out("GetWindowTextLengthA", "%d", GetWindowTextLengthA(entry));
  for (int size : {64, 12, 11, 5, 1, 0}) {
    char buffer[64];
    memset(buffer, kFill, sizeof buffer);
    UINT got = GetDlgItemTextA(dialog, kEntry, buffer, size);
    Out(Name("GetDlgItemTextA.size%d", size).c_str(), "ret=%u buffer='%s'", got, Escaped(buffer, 13).c_str());
    memset(buffer, kFill, sizeof buffer);
    int text = GetWindowTextA(entry, buffer, size);
    Out(Name("GetWindowTextA.size%d", size).c_str(), "ret=%d buffer='%s'", text, Escaped(buffer, 13).c_str());
  }
  SendMessageA(entry, EM_LIMITTEXT, 5, 0);
  LRESULT set = SendMessageA(entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1234567890"));
  LRESULT length = SendMessageA(entry, WM_GETTEXTLENGTH, 0, 0);
  Out("WM_SETTEXT.overlimit", "ret=%ld length=%ld", static_cast<long>(set), static_cast<long>(length));
  SendMessageA(entry, EM_SETSEL, 2, 5);
  DWORD start = 99, end = 99;
  LRESULT selection = SendMessageA(entry, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  Out("EM_GETSEL", "ret=0x%lx start=%lu end=%lu", static_cast<unsigned long>(selection), static_cast<unsigned long>(start),
      static_cast<unsigned long>(end));
  SendMessageA(entry, EM_SETSEL, 0, -1);
  SendMessageA(entry, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  Out("EM_SETSEL.all", "start=%lu end=%lu", static_cast<unsigned long>(start), static_cast<unsigned long>(end));

  // The licence box's pattern: replace everything, scroll to the top, read-only.
  HWND box = GetDlgItem(dialog, kTextBox);
  SendMessageA(box, EM_SETSEL, 0, -1);
  SendMessageA(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("line one\r\nline two\r\nline three"));
  LRESULT lines = SendMessageA(box, EM_GETLINECOUNT, 0, 0);
  SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  LRESULT scrolled = SendMessageA(box, EM_LINESCROLL, 0, -10000);
  LRESULT top = SendMessageA(box, EM_GETFIRSTVISIBLELINE, 0, 0);
  LRESULT readOnly = SendMessageA(box, EM_SETREADONLY, TRUE, 0);
  Out("EM_REPLACESEL", "length=%d lines=%ld caret=%lu-%lu", GetWindowTextLengthA(box), static_cast<long>(lines),
      static_cast<unsigned long>(start), static_cast<unsigned long>(end));
  Out("EM_LINESCROLL", "ret=%ld top=%ld readonly=%ld", static_cast<long>(scrolled), static_cast<long>(top),
      static_cast<long>(readOnly));

  BOOL checked = CheckDlgButton(dialog, kCheckBox, BST_CHECKED);
  UINT state = IsDlgButtonChecked(dialog, kCheckBox);
  LRESULT message = SendDlgItemMessageA(dialog, kCheckBox, BM_GETCHECK, 0, 0);
  Out("CheckDlgButton", "ret=%d checked=%u getcheck=%ld", checked, state, static_cast<long>(message));
  SendDlgItemMessageA(dialog, kCheckBox, BM_SETCHECK, BST_UNCHECKED, 0);
  Out("BM_SETCHECK", "checked=%u", IsDlgButtonChecked(dialog, kCheckBox));
  Out("IsDlgButtonChecked.text", "%u", IsDlgButtonChecked(dialog, kText));

  HWND text = GetDlgItem(dialog, kText);
  BOOL wasVisible = ShowWindow(text, SW_HIDE);
  BOOL wasVisibleAgain = ShowWindow(text, SW_HIDE);
  Out("ShowWindow.hide", "ret=%d again=%d visible=%d", wasVisible != 0, wasVisibleAgain != 0, IsWindowVisible(text));
  BOOL wasDisabled = EnableWindow(entry, FALSE);
  BOOL wasDisabledAgain = EnableWindow(entry, FALSE);
  BOOL enabled = IsWindowEnabled(entry);
  BOOL wasDisabledLast = EnableWindow(entry, TRUE);
  Out("EnableWindow", "ret=%d again=%d enabled=%d back=%d", wasDisabled != 0, wasDisabledAgain != 0, enabled,
      wasDisabledLast != 0);
  // As the completion and association dialogs do while they start.
  HWND checkBox = GetDlgItem(dialog, kCheckBox);
  HWND previous = SetFocus(checkBox);
  Out("SetFocus.initdialog", "previous=%s focus=%s", previous == entry ? "entry" : previous ? "other" : "null",
      GetFocus() == checkBox ? "checkbox" : GetFocus() ? "other" : "null");
  Out("SetWindowTextA.dialog", "ret=%d", SetWindowTextA(dialog, "probe dialog"));
  char caption[32];
  int captionLength = GetWindowTextA(dialog, caption, sizeof caption);
  Out("GetWindowTextA.dialog", "ret=%d '%s'", captionLength, caption);
}

void ProbeGdi(HWND dialog) {
  HDC dc = GetDC(dialog);
  RECT client;
  BOOL got = GetClientRect(dialog, &client);
  Out("GetDC", "%s clientrect=%d origin=%ld,%ld", dc ? "handle" : "null", got, static_cast<long>(client.left),
      static_cast<long>(client.top));
  HGDIOBJ font = GetStockObject(SYSTEM_FONT);
  HGDIOBJ previous = SelectObject(dc, font);
  HGDIOBJ back = SelectObject(dc, previous);
  Out("SelectObject", "%s back=%s", previous ? "handle" : "null", back == font ? "same" : "other");
  COLORREF background = SetBkColor(dc, RGB(1, 2, 3));
  COLORREF background2 = SetBkColor(dc, RGB(4, 5, 6));
  Out("SetBkColor", "previous=0x%06lx then=0x%06lx", static_cast<unsigned long>(background),
      static_cast<unsigned long>(background2));
  COLORREF foreground = SetTextColor(dc, RGB(7, 8, 9));
  COLORREF foreground2 = SetTextColor(dc, RGB(0, 0, 0));
  Out("SetTextColor", "previous=0x%06lx then=0x%06lx", static_cast<unsigned long>(foreground),
      static_cast<unsigned long>(foreground2));
  int mode = SetBkMode(dc, TRANSPARENT);
  int mode2 = SetBkMode(dc, OPAQUE);
  Out("SetBkMode", "previous=%d then=%d", mode, mode2);
  RECT area = {0, 0, 40, 20};
  int filled = FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  int height = DrawTextA(dc, "50%", -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
  BOOL inverted = InvertRect(dc, &area);
  Out("FillRect", "ret=%d drawtext=%s invert=%d", filled != 0, height > 0 ? "height" : "0", inverted != 0);
  LOGFONTA description;
  memset(&description, 0, sizeof description);
  description.lfHeight = -12;
  description.lfWeight = FW_NORMAL;
  strcpy(description.lfFaceName, "Courier New");
  HFONT made = CreateFontIndirectA(&description);
  BOOL deleted = DeleteObject(made);
  Out("CreateFontIndirectA", "%s delete=%d", made ? "handle" : "null", deleted);
  // The licence font's height: the DPI, and MulDiv's rounding of halves, quarters and overflows.
  Out("GetDeviceCaps", "logpixelsx=%d logpixelsy=%d", GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY));
  Out("MulDiv", "%d %d %d %d %d %d %d", MulDiv(11, 96, 96), MulDiv(11, 144, 96), MulDiv(11, 168, 96),
      MulDiv(-11, 144, 96), MulDiv(11, 144, -96), MulDiv(5, 3, 0), MulDiv(0x7FFFFFFF, 2, 1));
  Out("ReleaseDC", "%d", ReleaseDC(dialog, dc));
}

// ---- Timers (they need a window: a dialog of the probe's resources) ---------

const UINT_PTR kNamedTimer = 7;

void ProbeTimersOf(HWND dialog) {
  ResetError();
  UINT_PTR id = SetTimer(dialog, 0, 50, nullptr);
  Out("SetTimer.window.id0", "ret=%lu err=%lu", static_cast<unsigned long>(id), Error());
  ResetError();
  BOOL killed = KillTimer(dialog, id);
  Out("KillTimer.window.returnedid", "ret=%d err=%lu", killed, Error());
  ResetError();
  killed = KillTimer(dialog, 0);
  Out("KillTimer.window.id0", "ret=%d err=%lu", killed, Error());
  ResetError();
  killed = KillTimer(dialog, 0);
  Out("KillTimer.window.id0.again", "ret=%d err=%lu", killed, Error());

  Out("SetTimer.window.id7", "ret=%lu", static_cast<unsigned long>(SetTimer(dialog, kNamedTimer, 50, nullptr)));
  Out("SetTimer.window.id7.again", "ret=%lu", static_cast<unsigned long>(SetTimer(dialog, kNamedTimer, 60, nullptr)));
  Out("KillTimer.window.id7", "ret=%d", KillTimer(dialog, kNamedTimer));
  ResetError();
  killed = KillTimer(dialog, kNamedTimer);
  Out("KillTimer.window.id7.again", "ret=%d err=%lu", killed, Error());

  UINT_PTR windowless = SetTimer(nullptr, 0, 50, nullptr);
  Out("SetTimer.null.id0", "%s", windowless ? "nonzero" : "0");
  UINT_PTR windowless5 = SetTimer(nullptr, 5, 50, nullptr);
  Out("SetTimer.null.id5", "%s", windowless5 == 5 ? "5" : windowless5 ? "other nonzero" : "0");
  Out("KillTimer.null", "ret=%d", KillTimer(nullptr, windowless));
  Out("KillTimer.null.id5", "ret=%d", KillTimer(nullptr, windowless5));
  ResetError();
  killed = KillTimer(nullptr, windowless);
  Out("KillTimer.null.again", "ret=%d err=%lu", killed, Error());
}

INT_PTR CALLBACK ProbeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  static UINT_PTR s_copyTimer;
  switch (message) {
    case WM_INITDIALOG:
      ProbeControls(dialog);
      ProbeGdi(dialog);
      ProbeTimersOf(dialog);
      // The copy dialog's pattern: SetTimer(dialog, 0) now, the first WM_TIMER later.
      s_copyTimer = SetTimer(dialog, 0, 20, nullptr);
      return TRUE;
    case WM_TIMER: {
      Out("WM_TIMER.id0", "wParam=%lu", static_cast<unsigned long>(wParam));
      BOOL killedReturned = KillTimer(dialog, s_copyTimer);
      BOOL killedParam = KillTimer(dialog, wParam);
      Out("WM_TIMER.id0.kill", "returnedid=%d wparam=%d", killedReturned, killedParam);
      EndDialog(dialog, 5);
      return TRUE;
    }
    case WM_CLOSE:
      Out("WM_TIMER.id0", "none: closed");
      EndDialog(dialog, 6);
      return TRUE;
  }
  return FALSE;
}

void ProbeTimers() {
  INT_PTR result = DialogBoxParamA(Instance(), MAKEINTRESOURCEA(100), nullptr, ProbeDialogProc, 0);
  Out("DialogBoxParamA.timers", "ret=%ld", static_cast<long>(result));
}

// ---- DDE --------------------------------------------------------------------

HDDEDATA CALLBACK DdeProbeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

void ProbeDde() {
  DWORD instance = 0;
  UINT initialized =
      DdeInitializeA(&instance, DdeProbeCallback, APPCLASS_STANDARD | APPCMD_CLIENTONLY | CBF_FAIL_ADVISES, 0);
  Out("DdeInitializeA", "ret=%u instance=%s", initialized, instance ? "nonzero" : "0");
  HSZ name = DdeCreateStringHandleA(instance, "probenoservice", CP_WINANSI);
  Out("DdeCreateStringHandleA", "%s", name ? "handle" : "null");
  HCONV conversation = DdeConnect(instance, name, name, nullptr);
  Out("DdeConnect.noservice", "%s lasterror=0x%x", conversation ? "handle" : "null", DdeGetLastError(instance));
  Out("DdeFreeStringHandle", "ret=%d", DdeFreeStringHandle(instance, name));
  Out("DdeUninitialize", "ret=%d", DdeUninitialize(instance));
}

// ---- Constants: the stand-in's, and those of the real headers ---------------

void Constant(const char *name, unsigned long long value) {
  Out(Name("const.%s", name).c_str(), "0x%08lx", static_cast<unsigned long>(value & 0xFFFFFFFFu));
}
template <typename T>
void Constant(const char *name, T *value) {
  Constant(name, static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(value)));
}
template <typename T>
void Constant(const char *name, T value) {
  Constant(name, static_cast<unsigned long long>(value));
}
[[maybe_unused]] void Missing(const char *name) { Out(Name("const.%s", name).c_str(), "not defined"); }

void ProbeConstants() {
#define PROBE_CONSTANT(name) Constant(#name, name)
#define PROBE_MISSING(name) Missing(#name)
#include "probe_constants.inc"
#undef PROBE_CONSTANT
#undef PROBE_MISSING
}

}  // namespace

int main() {
#ifndef _WIN32
  sim::Reset();
  if (!sim::LoadResourceFile(PROBE_RES_PATH)) {
    fprintf(stderr, "probe: cannot load %s\n", PROBE_RES_PATH);
    return 2;
  }
#endif
  setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  RemoveTree(kRoot);
  RemoveScratchKeys();
  if (!CreateDirectoryA(kRoot, nullptr)) {
    fprintf(stderr, "probe: cannot create %s\n", kRoot);
    return 2;
  }
  ChangeDirectory(kRoot);

  ProbeOpenFile();
  ProbeLcreatLopen();
  ProbeHandleCalls();
  ProbeCreateFile();
  ProbeLogFileCalls();
  ProbeDeleteAndCreateDirectory();
  ProbeFolderRights();
  ProbeFullPathName();
  ProbeShortPathName();
  ProbeModuleFileName();
  ProbeRegQueryValue();
  ProbeRegistryWrites();
  ProbeGlobalMemory();
  ProbeLocaleAndVersion();
  ProbeProcessAndFormatter();
  ProbeFreeSpace();
  ProbeMutexes();
  ProbeThreads();
  ProbeResources();
  ProbeTimers();
  ProbeDde();
  ProbeConstants();

  ChangeDirectory("C:\\");
  RemoveTree(kRoot);
  RemoveScratchKeys();
  printf("probes: %d\n", g_probes);
  return 0;
}
