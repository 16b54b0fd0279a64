// lumepack: builds, lists and verifies installer payloads.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tools/pack/name_codepage.h"
#include "payload/archive_format.h"
#include "tools/pack/pack_payload.h"
#include "tools/pack/payload_check.h"
#include "tools/pack/payload_checksum.h"
#include "tools/pack/payload_source.h"
#include "tools/pack/pe_resource.h"
#include "tools/pack/stub_installer.h"

namespace {

const char kUsage[] =
    "usage: lumepack pack [-o OUTPUT] [--main NAME] [--codepage CP] [EXCLUDES] FOLDER\n"
    "       lumepack pack [-o OUTPUT] [--main NAME] [--codepage CP] [-C DIR] FILE... [-C DIR] FILE...\n"
    "       lumepack installer --stub STUB.EXE [-o OUTPUT] [--replace] [--main NAME] [--codepage CP]\n"
    "                [EXCLUDES] FOLDER\n"
    "       lumepack installer --stub STUB.EXE [-o OUTPUT] [--replace] [--codepage CP] --payload PAYLOAD\n"
    "       lumepack list [--codepage CP] PAYLOAD-OR-SETUP.EXE\n"
    "       lumepack verify [--codepage CP] PAYLOAD-OR-SETUP.EXE\n"
    "       lumepack checksum [-o OUTPUT] [--codepage CP] PAYLOAD\n"
    "       lumepack --help | --version\n"
    "EXCLUDES: --exclude PATTERN (repeatable; a shell pattern on the path relative to FOLDER,\n"
    "       \"name\" or \"sub/name\"), --no-default-excludes (keep .git, .svn and .hg folders and\n"
    "       .DS_Store, Thumbs.db and desktop.ini files, which are otherwise left out, each named).\n"
    "Exit codes: 0 done, 1 the input cannot be packed or verified, 2 a usage error.\n"
    "\n"
    "pack   writes the payload resource file (default payload.bin). A FOLDER gives its\n"
    "       files and those of its direct subfolders (\"sub/file\" is stored as \"file!sub\");\n"
    "       FILEs are \"file\" or \"sub/file\" relative to the last -C DIR. The main program\n"
    "       (default lume32.exe) becomes the first entry. Names are stored in the ANSI\n"
    "       code page the installer runs in: --codepage names one of Windows' ANSI code\n"
    "       pages 874, 932, 936, 949, 950 or 1250 to 1258, as 1250, CP1250 or WINDOWS-1250;\n"
    "       the default is CP1252 (Windows-1252). A name that code page cannot hold is\n"
    "       refused, as is one with a '$' or a top-level DEF.TVD, which the installed-file\n"
    "       records could not carry back.\n"
    "installer writes a finished installer (default setup.exe): the stub (setup-stub.exe)\n"
    "       with the payload of FOLDER (or FILEs, as for pack, or a ready PAYLOAD file)\n"
    "       added as resource 512/301, and its CRC-32 and the code page of its names as\n"
    "       resource 512/302; the installer checks the CRC-32 before it shows anything.\n"
    "       A stub that already carries a payload is refused unless --replace is given.\n"
    "       With a ready --payload, --codepage names the code page it was packed in.\n"
    "list   shows the entries of a payload file or of the payload inside a setup.exe,\n"
    "       the names read in the code page the installer records (CP1252 for a payload\n"
    "       file, or an installer packed before it was recorded); --codepage overrides it.\n"
    "verify inflates it to the end and checks every rule of the format; in a setup.exe\n"
    "       also the checksum 512/302 when there is one (a payload file carries none).\n"
    "checksum writes the checksum resource file of a payload file (default payload.crc),\n"
    "       the 6 bytes of 512/302 (CRC-32, code page), for a resource script that links\n"
    "       the payload itself.\n"
    "OUTPUT must be a regular file, which is replaced, or a name not yet taken.\n";

#ifndef LUMEPACK_VERSION
#define LUMEPACK_VERSION "unknown"
#endif
#ifndef LUMEPACK_COMMIT
#define LUMEPACK_COMMIT ""
#endif

// A mistake in how the tool was called: what was wrong, in one line, and
// where to look.
int UsageError(const std::string &what) {
  fprintf(stderr, "lumepack: %s\nTry 'lumepack --help'.\n", what.c_str());
  return 2;
}

int Fail(const std::string &message) {
  fprintf(stderr, "lumepack: %s\n", message.c_str());
  return 1;
}

// What pack and installer share: the files to pack and the options around them.
struct PackRequest {
  std::string output, mainProgram = "lume32.exe", stub, payloadFile, codePage = kDefaultCodePage;
  bool replace = false;
  std::vector<std::string> items, bases;
  PackExclusions exclusions;
};

// Parses the command line; `stubMode` admits --stub, --replace and --payload.
bool ParsePackArguments(int argc, char **argv, bool stubMode, PackRequest &request, std::string &error) {
  std::string base;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    bool stubOption = arg == "--stub" || arg == "--payload" || arg == "--replace";
    if (stubOption && !stubMode) {
      error = arg + " belongs to the installer command";
      return false;
    }
    bool takesValue = arg == "-o" || arg == "--main" || arg == "-C" || arg == "--stub" || arg == "--payload" ||
                      arg == "--codepage" || arg == "--exclude";
    if (takesValue && i + 1 >= argc) {
      error = arg + " needs a value";
      return false;
    }
    if (arg == "-o") request.output = argv[++i];
    else if (arg == "--main") request.mainProgram = argv[++i];
    else if (arg == "-C") base = argv[++i];
    else if (arg == "--stub") request.stub = argv[++i];
    else if (arg == "--payload") request.payloadFile = argv[++i];
    else if (arg == "--replace") request.replace = true;
    else if (arg == "--codepage") request.codePage = argv[++i];
    else if (arg == "--exclude") request.exclusions.patterns.push_back(argv[++i]);
    else if (arg == "--no-default-excludes") request.exclusions.defaults = false;
    else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return false;
    } else {
      request.items.push_back(arg);
      request.bases.push_back(base);
    }
  }
  if (stubMode && request.stub.empty()) {
    error = std::string("no --stub given");
    return false;
  }
  if (!request.payloadFile.empty() && !request.items.empty()) {
    error = std::string("give either --payload or files to pack, not both");
    return false;
  }
  if (request.payloadFile.empty() && request.items.empty()) {
    error = std::string("nothing to pack");
    return false;
  }
  return true;
}

bool CollectRequestedFiles(const PackRequest &request, const NameCodePage &codePage, std::vector<SourceFile> &files,
                           std::string &error) {
  const std::vector<std::string> &items = request.items, &bases = request.bases;
  std::string folder = bases[0].empty() ? items[0] : bases[0] + "/" + items[0];
  std::error_code ignored;
  bool folderMode = items.size() == 1 && std::filesystem::is_directory(folder, ignored);
  if (folderMode) {
    bool collected = CollectFolder(folder, files, error, codePage, request.exclusions);
    for (const std::string &leftOut : TakeLeftOutByDefault())
      printf("left out: %s (by default; --no-default-excludes keeps it)\n", leftOut.c_str());
    if (!collected) return false;
  } else {
    for (size_t i = 0; i < items.size(); ++i)
      if (!CollectListedFile(bases[i], items[i], files, error, codePage)) return false;
  }
  return OrderAndCheckSources(files, request.mainProgram, error, codePage);
}

int Pack(int argc, char **argv) {
  PackRequest request;
  request.output = "payload.bin";
  std::string error;
  if (!ParsePackArguments(argc, argv, false, request, error)) return UsageError(error);
  NameCodePage codePage;
  if (!codePage.Open(request.codePage, error)) return UsageError(error);
  std::vector<SourceFile> files;
  if (!CollectRequestedFiles(request, codePage, files, error)) return Fail(error);

  PackSummary summary;
  if (!PackPayload(files, request.output, isatty(fileno(stderr)) != 0, summary, error)) return Fail(error);
  printf("%s: %zu entries, archive %llu bytes, compressed to %llu bytes\n", request.output.c_str(), files.size(),
         static_cast<unsigned long long>(summary.archiveSize), static_cast<unsigned long long>(summary.streamSize));
  return 0;
}

// The payload of an installer: a ready payload file, checked, or the files packed now.
bool RequestedPayload(const PackRequest &request, const NameCodePage &codePage, std::string &resource,
                      std::string &error) {
  if (!request.payloadFile.empty()) {
    if (!ReadWholeFile(request.payloadFile, resource, error)) return false;
    if (LooksLikeExecutable(resource)) {
      error = request.payloadFile + ": an executable, not a payload file";
      return false;
    }
    PayloadReport report = CheckPayload(reinterpret_cast<const unsigned char *>(resource.data()), resource.size());
    if (!report.problems.empty()) {
      error = request.payloadFile + ": " + report.problems.front();
      return false;
    }
    return true;
  }
  std::vector<SourceFile> files;
  PackSummary summary;
  return CollectRequestedFiles(request, codePage, files, error) &&
         BuildPayload(files, isatty(fileno(stderr)) != 0, summary, resource, error);
}

int Installer(int argc, char **argv) {
  PackRequest request;
  request.output = "setup.exe";
  std::string error, stub, resource, installer;
  std::error_code ignored;
  if (!ParsePackArguments(argc, argv, true, request, error)) return UsageError(error);
  NameCodePage codePage;
  if (!codePage.Open(request.codePage, error)) return UsageError(error);
  if (!ReadWholeFile(request.stub, stub, error)) return Fail(error);
  // The stub is judged before any file is packed: a refusal comes at once.
  if (!BuildInstallerFromStub(stub, "", request.replace, codePage.Number(), installer, error))
    return Fail(request.stub + ": " + error);
  if (!RequestedPayload(request, codePage, resource, error)) return Fail(error);
  if (!BuildInstallerFromStub(stub, resource, request.replace, codePage.Number(), installer, error))
    return Fail(request.stub + ": " + error);
  // The result must give back exactly this payload and its checksum to a reader of its own.
  size_t offset = 0, size = 0, checksumOffset = 0, checksumSize = 0;
  if (!FindPayloadInExecutable(installer, offset, size, error) || installer.compare(offset, size, resource) != 0 ||
      !FindResourceInExecutable(installer, kChecksumResourceName, checksumOffset, checksumSize, error) ||
      installer.compare(checksumOffset, checksumSize, ChecksumResourceFor(resource, codePage.Number())) != 0)
    return Fail("the written installer does not read back (" + error + "); nothing written");
  if (!WriteWholeFile(request.output, installer, error)) return Fail(error);
  std::filesystem::permissions(request.output, std::filesystem::perms::owner_exec | std::filesystem::perms::group_exec |
                                                   std::filesystem::perms::others_exec,
                               std::filesystem::perm_options::add, ignored);
  printf("%s: %zu bytes, payload of %zu bytes and its checksum added to %s\n", request.output.c_str(), installer.size(),
         resource.size(), request.stub.c_str());
  return 0;
}

// The payload resource bytes of a payload file or of a built installer.
bool LoadPayload(const std::string &path, std::string &contents, size_t &offset, size_t &size, std::string &error) {
  if (!ReadWholeFile(path, contents, error)) return false;
  if (!LooksLikeExecutable(contents)) {
    offset = 0;
    size = contents.size();
    return true;
  }
  if (FindPayloadInExecutable(contents, offset, size, error)) return true;
  error = path + ": " + error;
  return false;
}

// An installer's checksum resource against its payload: what verify says of
// it, or the problem; `recorded` the code page it records (0: none). A
// payload file carries none.
bool CheckInstallerChecksum(const std::string &contents, size_t offset, size_t size, std::string &verdict,
                            unsigned &recorded) {
  recorded = 0;
  if (!LooksLikeExecutable(contents)) return true;
  size_t stored = 0, storedSize = 0;
  std::string absent;
  if (!FindResourceInExecutable(contents, kChecksumResourceName, stored, storedSize, absent)) {
    verdict = "no checksum (" + absent + ")";
    return true;
  }
  const unsigned char *bytes = reinterpret_cast<const unsigned char *>(contents.data());
  recorded = RecordedCodePage(bytes + stored, storedSize);
  return CheckStoredChecksum(bytes + stored, storedSize, bytes + offset, size, verdict);
}

// The options of list, verify and checksum: one file, and the options
// `allowed` with their values.
bool ParseFileAndOptions(int argc, char **argv, std::map<std::string, std::string> &options, std::string &path,
                         std::string &error) {
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    bool known = options.count(arg) != 0;
    if (known && i + 1 >= argc) {
      error = arg + " needs a value";
      return false;
    }
    if (known) {
      options[arg] = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return false;
    } else if (!path.empty()) {
      error = "one file at a time: unexpected " + arg;
      return false;
    } else {
      path = arg;
    }
  }
  if (path.empty()) error = "no payload or installer given";
  return !path.empty();
}

// list (`listEntries`) or verify. The names are read in --codepage, else in
// the code page the installer records, else in the default.
int Inspect(int argc, char **argv, bool listEntries) {
  std::map<std::string, std::string> options = {{"--codepage", ""}};
  std::string path, contents, error, checksum;
  if (!ParseFileAndOptions(argc, argv, options, path, error)) return UsageError(error);
  const std::string &given = options["--codepage"];
  NameCodePage codePage;
  if (!given.empty() && !codePage.Open(given, error)) return UsageError(error);
  size_t offset = 0, size = 0;
  if (!LoadPayload(path, contents, offset, size, error)) return Fail(error);
  PayloadReport report = CheckPayload(reinterpret_cast<const unsigned char *>(contents.data()) + offset, size);
  unsigned recorded = 0;
  if (!CheckInstallerChecksum(contents, offset, size, checksum, recorded))
    report.problems.insert(report.problems.begin(), checksum);
  std::string codePageSource = "--codepage";
  if (given.empty()) {
    codePageSource = "recorded in the installer";
    if (recorded == 0 || !codePage.Open(std::to_string(recorded), error)) {
      if (recorded != 0) report.problems.push_back("records code page " + std::to_string(recorded) + ", which " + error);
      codePageSource = "the default";
      codePage.Open(kDefaultCodePage, error);
    }
  }
  if (report.headerRead) {
    printf("%s: %u entries, total size %u bytes, compressed %u bytes%s\n", path.c_str(), report.fileCount,
           report.totalSize, report.compressedLength, report.highestLevelHeader ? " (78 DA)" : "");
    if (listEntries)
      for (const ListedEntry &entry : report.entries)
        printf("%12u  %s\n", entry.size, codePage.Decode(entry.name).c_str());
  }
  for (const std::string &problem : report.problems) fprintf(stderr, "lumepack: %s: %s\n", path.c_str(), problem.c_str());
  if (!report.problems.empty()) return 1;
  if (listEntries) return 0;
  if (!checksum.empty()) printf("%s: %s\n", path.c_str(), checksum.c_str());
  printf("%s: names in code page %u (%s)\n", path.c_str(), codePage.Number(), codePageSource.c_str());
  printf("%s: sound\n", path.c_str());
  return 0;
}

int Checksum(int argc, char **argv) {
  std::map<std::string, std::string> options = {{"-o", "payload.crc"}, {"--codepage", kDefaultCodePage}};
  std::string path, payload, error;
  if (!ParseFileAndOptions(argc, argv, options, path, error)) return UsageError(error);
  NameCodePage codePage;
  if (!codePage.Open(options["--codepage"], error)) return UsageError(error);
  if (!ReadWholeFile(path, payload, error)) return Fail(error);
  if (LooksLikeExecutable(payload)) return Fail(path + ": an executable, not a payload file");
  if (!WriteWholeFile(options["-o"], ChecksumResourceFor(payload, codePage.Number()), error)) return Fail(error);
  printf("%s: checksum of %s (%zu bytes)\n", options["-o"].c_str(), path.c_str(), payload.size());
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  std::string command = argc >= 2 ? argv[1] : "";
  if (command == "pack") return Pack(argc - 2, argv + 2);
  if (command == "installer") return Installer(argc - 2, argv + 2);
  if (command == "list") return Inspect(argc - 2, argv + 2, true);
  if (command == "verify") return Inspect(argc - 2, argv + 2, false);
  if (command == "checksum") return Checksum(argc - 2, argv + 2);
  if (argc == 2 && (command == "--help" || command == "-h" || command == "help")) {
    fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && command == "--version") {
    printf("lumepack %s%s%s\n", LUMEPACK_VERSION, LUMEPACK_COMMIT[0] ? ", commit " : "", LUMEPACK_COMMIT);
    return 0;
  }
  if (command.empty()) return UsageError("no command given");
  return UsageError("unknown command " + command + (argc > 2 && command[0] == '-' ? " (give it alone)" : ""));
}
