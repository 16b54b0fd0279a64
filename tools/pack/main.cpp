// lumepack: builds, lists and verifies installer payloads.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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
    "usage: lumepack pack [-o OUTPUT] [--main NAME] [--codepage CP] FOLDER\n"
    "       lumepack pack [-o OUTPUT] [--main NAME] [--codepage CP] [-C DIR] FILE... [-C DIR] FILE...\n"
    "       lumepack installer --stub STUB.EXE [-o OUTPUT] [--replace] [--main NAME] [--codepage CP] FOLDER\n"
    "       lumepack installer --stub STUB.EXE [-o OUTPUT] [--replace] --payload PAYLOAD\n"
    "       lumepack list [--codepage CP] PAYLOAD-OR-SETUP.EXE\n"
    "       lumepack verify PAYLOAD-OR-SETUP.EXE\n"
    "       lumepack checksum [-o OUTPUT] PAYLOAD\n"
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
    "       added as resource 512/301, and its CRC-32 as resource 512/302, which the\n"
    "       installer checks before it shows anything. A stub that already carries a\n"
    "       payload is refused unless --replace is given.\n"
    "list   shows the entries of a payload file or of the payload inside a setup.exe,\n"
    "       the names read in --codepage (default CP1252).\n"
    "verify inflates it to the end and checks every rule of the format; in a setup.exe\n"
    "       also the checksum 512/302 when there is one (a payload file carries none).\n"
    "checksum writes the checksum resource file of a payload file (default payload.crc),\n"
    "       the 4 bytes of 512/302, for a resource script that links the payload itself.\n";

int Fail(const std::string &message) {
  fprintf(stderr, "lumepack: %s\n", message.c_str());
  return 1;
}

// What pack and installer share: the files to pack and the options around them.
struct PackRequest {
  std::string output, mainProgram = "lume32.exe", stub, payloadFile, codePage = kDefaultCodePage;
  bool replace = false, codePageGiven = false;
  std::vector<std::string> items, bases;
};

// Parses the command line; `stubMode` admits --stub, --replace and --payload.
bool ParsePackArguments(int argc, char **argv, bool stubMode, PackRequest &request, std::string &error) {
  std::string base;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    bool stubOption = arg == "--stub" || arg == "--payload" || arg == "--replace";
    if (stubOption && !stubMode) {
      error = arg + " belongs to the installer command\n" + kUsage;
      return false;
    }
    bool takesValue = arg == "-o" || arg == "--main" || arg == "-C" || arg == "--stub" || arg == "--payload" ||
                      arg == "--codepage";
    if (takesValue && i + 1 >= argc) {
      error = arg + " needs a value\n" + kUsage;
      return false;
    }
    if (arg == "-o") request.output = argv[++i];
    else if (arg == "--main") request.mainProgram = argv[++i];
    else if (arg == "-C") base = argv[++i];
    else if (arg == "--stub") request.stub = argv[++i];
    else if (arg == "--payload") request.payloadFile = argv[++i];
    else if (arg == "--replace") request.replace = true;
    else if (arg == "--codepage") {
      request.codePage = argv[++i];
      request.codePageGiven = true;
    }
    else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg + "\n" + kUsage;
      return false;
    } else {
      request.items.push_back(arg);
      request.bases.push_back(base);
    }
  }
  if (stubMode && request.stub.empty()) {
    error = std::string("no --stub given\n") + kUsage;
    return false;
  }
  if (!request.payloadFile.empty() && request.codePageGiven) {
    error = std::string("--codepage applies to files packed now, not to a ready --payload\n") + kUsage;
    return false;
  }
  if (!request.payloadFile.empty() && !request.items.empty()) {
    error = std::string("give either --payload or files to pack, not both\n") + kUsage;
    return false;
  }
  if (request.payloadFile.empty() && request.items.empty()) {
    error = std::string("nothing to pack\n") + kUsage;
    return false;
  }
  return true;
}

bool CollectRequestedFiles(const PackRequest &request, std::vector<SourceFile> &files, std::string &error) {
  NameCodePage codePage;
  if (!codePage.Open(request.codePage, error)) return false;
  const std::vector<std::string> &items = request.items, &bases = request.bases;
  std::string folder = bases[0].empty() ? items[0] : bases[0] + "/" + items[0];
  std::error_code ignored;
  bool folderMode = items.size() == 1 && std::filesystem::is_directory(folder, ignored);
  if (folderMode) {
    if (!CollectFolder(folder, files, error, codePage)) return false;
  } else {
    for (size_t i = 0; i < items.size(); ++i)
      if (!CollectListedFile(bases[i], items[i], files, error, codePage)) return false;
  }
  return OrderAndCheckSources(files, request.mainProgram, error, codePage);
}

bool ReadWholeFile(const std::string &path, std::string &contents, std::string &error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be opened";
    return false;
  }
  contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = path + ": cannot be read";
    return false;
  }
  return true;
}

int Pack(int argc, char **argv) {
  PackRequest request;
  request.output = "payload.bin";
  std::string error;
  if (!ParsePackArguments(argc, argv, false, request, error)) return Fail(error);
  std::vector<SourceFile> files;
  if (!CollectRequestedFiles(request, files, error)) return Fail(error);

  PackSummary summary;
  if (!PackPayload(files, request.output, isatty(fileno(stderr)) != 0, summary, error)) return Fail(error);
  printf("%s: %zu entries, archive %llu bytes, compressed to %llu bytes\n", request.output.c_str(), files.size(),
         static_cast<unsigned long long>(summary.archiveSize), static_cast<unsigned long long>(summary.streamSize));
  return 0;
}

// The payload of an installer: a ready payload file, checked, or the files packed now.
bool RequestedPayload(const PackRequest &request, std::string &resource, std::string &error) {
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
  return CollectRequestedFiles(request, files, error) &&
         BuildPayload(files, isatty(fileno(stderr)) != 0, summary, resource, error);
}

int Installer(int argc, char **argv) {
  PackRequest request;
  request.output = "setup.exe";
  std::string error, stub, resource, installer;
  std::error_code ignored;
  if (!ParsePackArguments(argc, argv, true, request, error)) return Fail(error);
  if (!ReadWholeFile(request.stub, stub, error)) return Fail(error);
  // The stub is judged before any file is packed: a refusal comes at once.
  if (!BuildInstallerFromStub(stub, "", request.replace, installer, error)) return Fail(request.stub + ": " + error);
  if (!RequestedPayload(request, resource, error)) return Fail(error);
  if (!BuildInstallerFromStub(stub, resource, request.replace, installer, error))
    return Fail(request.stub + ": " + error);
  // The result must give back exactly this payload and its checksum to a reader of its own.
  size_t offset = 0, size = 0, checksumOffset = 0, checksumSize = 0;
  if (!FindPayloadInExecutable(installer, offset, size, error) || installer.compare(offset, size, resource) != 0 ||
      !FindResourceInExecutable(installer, kChecksumResourceName, checksumOffset, checksumSize, error) ||
      installer.compare(checksumOffset, checksumSize, ChecksumResourceFor(resource)) != 0)
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
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be opened";
    return false;
  }
  contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
// it, or the problem. A payload file carries none.
bool CheckInstallerChecksum(const std::string &contents, size_t offset, size_t size, std::string &verdict) {
  if (!LooksLikeExecutable(contents)) return true;
  size_t stored = 0, storedSize = 0;
  std::string absent;
  if (!FindResourceInExecutable(contents, kChecksumResourceName, stored, storedSize, absent)) {
    verdict = "no checksum (" + absent + ")";
    return true;
  }
  const unsigned char *bytes = reinterpret_cast<const unsigned char *>(contents.data());
  return CheckStoredChecksum(bytes + stored, storedSize, bytes + offset, size, verdict);
}

// `codePage` reads the names for the listing; verify passes none.
int Inspect(const std::string &path, const NameCodePage *codePage) {
  bool listEntries = codePage != nullptr;
  std::string contents, error, checksum;
  size_t offset = 0, size = 0;
  if (!LoadPayload(path, contents, offset, size, error)) return Fail(error);
  PayloadReport report = CheckPayload(reinterpret_cast<const unsigned char *>(contents.data()) + offset, size);
  if (!CheckInstallerChecksum(contents, offset, size, checksum))
    report.problems.insert(report.problems.begin(), checksum);
  if (report.headerRead) {
    printf("%s: %u entries, total size %u bytes, compressed %u bytes%s\n", path.c_str(), report.fileCount,
           report.totalSize, report.compressedLength, report.highestLevelHeader ? " (78 DA)" : "");
    if (listEntries)
      for (const ListedEntry &entry : report.entries)
        printf("%12u  %s\n", entry.size, codePage->Decode(entry.name).c_str());
  }
  for (const std::string &problem : report.problems) fprintf(stderr, "lumepack: %s: %s\n", path.c_str(), problem.c_str());
  if (!report.problems.empty()) return 1;
  if (!listEntries && !checksum.empty()) printf("%s: %s\n", path.c_str(), checksum.c_str());
  if (!listEntries) printf("%s: sound\n", path.c_str());
  return 0;
}

// The arguments of list and checksum: one file, and `option` with its value.
bool ParseFileAndOption(int argc, char **argv, const std::string &option, std::string &value, std::string &path,
                        std::string &error) {
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == option && i + 1 >= argc) {
      error = arg + " needs a value\n" + kUsage;
      return false;
    }
    if (arg == option) {
      value = argv[++i];
    } else if ((arg.size() > 1 && arg[0] == '-') || !path.empty()) {
      error = "unexpected " + arg + "\n" + kUsage;
      return false;
    } else {
      path = arg;
    }
  }
  if (path.empty()) error = std::string("no payload given\n") + kUsage;
  return !path.empty();
}

int Checksum(int argc, char **argv) {
  std::string output = "payload.crc", path, payload, error;
  if (!ParseFileAndOption(argc, argv, "-o", output, path, error)) return Fail(error);
  if (!ReadWholeFile(path, payload, error)) return Fail(error);
  if (LooksLikeExecutable(payload)) return Fail(path + ": an executable, not a payload file");
  if (!WriteWholeFile(output, ChecksumResourceFor(payload), error)) return Fail(error);
  printf("%s: checksum of %s (%zu bytes)\n", output.c_str(), path.c_str(), payload.size());
  return 0;
}

int List(int argc, char **argv) {
  std::string codePageName = kDefaultCodePage, path, error;
  if (!ParseFileAndOption(argc, argv, "--codepage", codePageName, path, error)) return Fail(error);
  NameCodePage codePage;
  if (!codePage.Open(codePageName, error)) return Fail(error);
  return Inspect(path, &codePage);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc >= 2 && strcmp(argv[1], "pack") == 0) return Pack(argc - 2, argv + 2);
  if (argc >= 2 && strcmp(argv[1], "installer") == 0) return Installer(argc - 2, argv + 2);
  if (argc >= 2 && strcmp(argv[1], "list") == 0) return List(argc - 2, argv + 2);
  if (argc == 3 && strcmp(argv[1], "verify") == 0) return Inspect(argv[2], nullptr);
  if (argc >= 2 && strcmp(argv[1], "checksum") == 0) return Checksum(argc - 2, argv + 2);
  if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
    fputs(kUsage, stdout);
    return 0;
  }
  fputs(kUsage, stderr);
  return 2;
}
