// lumepack: builds, lists and verifies installer payloads.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/pack/pack_payload.h"
#include "tools/pack/payload_check.h"
#include "tools/pack/payload_source.h"
#include "tools/pack/pe_resource.h"

namespace {

const char kUsage[] =
    "usage: lumepack pack [-o OUTPUT] [--main NAME] FOLDER\n"
    "       lumepack pack [-o OUTPUT] [--main NAME] [-C DIR] FILE... [-C DIR] FILE...\n"
    "       lumepack list PAYLOAD-OR-SETUP.EXE\n"
    "       lumepack verify PAYLOAD-OR-SETUP.EXE\n"
    "\n"
    "pack   writes the payload resource file (default payload.bin). A FOLDER gives its\n"
    "       files and those of its direct subfolders (\"sub/file\" is stored as \"file!sub\");\n"
    "       FILEs are \"file\" or \"sub/file\" relative to the last -C DIR. The main program\n"
    "       (default lume32.exe) becomes the first entry.\n"
    "list   shows the entries of a payload file or of the payload inside a setup.exe.\n"
    "verify inflates it to the end and checks every rule of the format.\n";

int Fail(const std::string &message) {
  fprintf(stderr, "lumepack: %s\n", message.c_str());
  return 1;
}

int Pack(int argc, char **argv) {
  std::string output = "payload.bin", mainProgram = "lume32.exe", base;
  std::vector<std::string> items;
  std::vector<std::string> bases;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    bool takesValue = arg == "-o" || arg == "--main" || arg == "-C";
    if (takesValue && i + 1 >= argc) return Fail(arg + " needs a value\n" + kUsage);
    if (arg == "-o") output = argv[++i];
    else if (arg == "--main") mainProgram = argv[++i];
    else if (arg == "-C") base = argv[++i];
    else if (arg.size() > 1 && arg[0] == '-') return Fail("unknown option " + arg + "\n" + kUsage);
    else {
      items.push_back(arg);
      bases.push_back(base);
    }
  }
  if (items.empty()) return Fail(std::string("nothing to pack\n") + kUsage);

  std::vector<SourceFile> files;
  std::string error;
  std::string folder = bases[0].empty() ? items[0] : bases[0] + "/" + items[0];
  std::error_code ignored;
  bool folderMode = items.size() == 1 && std::filesystem::is_directory(folder, ignored);
  if (folderMode) {
    if (!CollectFolder(folder, files, error)) return Fail(error);
  } else {
    for (size_t i = 0; i < items.size(); ++i)
      if (!CollectListedFile(bases[i], items[i], files, error)) return Fail(error);
  }
  if (!OrderAndCheckSources(files, mainProgram, error)) return Fail(error);

  PackSummary summary;
  if (!PackPayload(files, output, isatty(fileno(stderr)) != 0, summary, error)) return Fail(error);
  printf("%s: %zu entries, archive %llu bytes, compressed to %llu bytes\n", output.c_str(), files.size(),
         static_cast<unsigned long long>(summary.archiveSize), static_cast<unsigned long long>(summary.streamSize));
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

int Inspect(const std::string &path, bool listEntries) {
  std::string contents, error;
  size_t offset = 0, size = 0;
  if (!LoadPayload(path, contents, offset, size, error)) return Fail(error);
  PayloadReport report = CheckPayload(reinterpret_cast<const unsigned char *>(contents.data()) + offset, size);
  if (report.headerRead) {
    printf("%s: %u entries, total size %u bytes, compressed %u bytes%s\n", path.c_str(), report.fileCount,
           report.totalSize, report.compressedLength, report.highestLevelHeader ? " (78 DA)" : "");
    if (listEntries)
      for (const ListedEntry &entry : report.entries) printf("%12u  %s\n", entry.size, entry.name.c_str());
  }
  for (const std::string &problem : report.problems) fprintf(stderr, "lumepack: %s: %s\n", path.c_str(), problem.c_str());
  if (!report.problems.empty()) return 1;
  if (!listEntries) printf("%s: sound\n", path.c_str());
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc >= 2 && strcmp(argv[1], "pack") == 0) return Pack(argc - 2, argv + 2);
  if (argc == 3 && strcmp(argv[1], "list") == 0) return Inspect(argv[2], true);
  if (argc == 3 && strcmp(argv[1], "verify") == 0) return Inspect(argv[2], false);
  if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
    fputs(kUsage, stdout);
    return 0;
  }
  fputs(kUsage, stderr);
  return 2;
}
