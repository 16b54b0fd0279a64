// Extraction measured against its peers, in one run on one mixed folder:
// the host build of the installer (silent, to tmpfs and to disk), tar xzf
// (gzip -9), unzip -o (zip -9), 7z x (7z -mx9), one-shot inflate into memory
// and one-shot inflate plus plain writes of the same files (the ceiling).
// Every extraction is a child process, timed from outside; rounds are
// interleaved and medians printed, with peak resident memory and the
// compressed size of each format. Then the installer's peak memory for a
// small and a large payload, which must stay flat.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "bench/child_process.h"
#include "bench/extraction_children.h"
#include "tools/pack/pack_payload.h"
#include "tools/pack/payload_source.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: extraction_bench [--rounds N] [--megabytes N] [--memory-megabytes A,B,...] [--disk DIR] [--tmpfs DIR]\n"
    "  --rounds            interleaved rounds, medians printed (default 5)\n"
    "  --megabytes         size of the mixed folder (default 50)\n"
    "  --memory-megabytes  payload sizes for the installer's peak memory (default 5,200; 0 skips)\n"
    "  --disk, --tmpfs     folders to extract into (default: the current folder, /dev/shm)\n";

struct Options {
  int rounds = 5;
  uint64_t megabytes = 50;
  std::vector<uint64_t> memoryMegabytes{5, 200};
  std::string disk = ".", tmpfs = "/dev/shm";
};

struct Method {
  std::string name;
  std::string destination;  // folder emptied before each run; "" for none
  std::vector<std::string> command;
  std::string extractedRoot;  // where the files appear, relative to destination ("*" for the stand-in's folder)
  uint64_t compressedBytes = 0;
  uint64_t heldBytes = 0;  // input the process keeps in memory by design (the installer's own image)
  std::vector<double> seconds, insideSeconds;  // from outside; as the child itself timed its work
  long peakKilobytes = 0;
  bool failed = false;
};

Method MakeMethod(const std::string &name, const std::string &destination, const std::vector<std::string> &command,
                  const std::string &extractedRoot, uint64_t compressedBytes, uint64_t heldBytes) {
  Method method;
  method.name = name;
  method.destination = destination;
  method.command = command;
  method.extractedRoot = extractedRoot;
  method.compressedBytes = compressedBytes;
  method.heldBytes = heldBytes;
  return method;
}

bool ParseOptions(int argc, char **argv, Options &options, std::string &error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) {
      error = arg + ": needs a value or is unknown";
      return false;
    }
    std::string value = argv[++i];
    char *end = nullptr;
    if (arg == "--rounds") options.rounds = static_cast<int>(strtol(value.c_str(), &end, 10));
    else if (arg == "--megabytes") options.megabytes = strtoull(value.c_str(), &end, 10);
    else if (arg == "--disk") options.disk = value;
    else if (arg == "--tmpfs") options.tmpfs = value;
    else if (arg == "--memory-megabytes") {
      options.memoryMegabytes.clear();
      for (const char *at = value.c_str(); *at; at = *end == ',' ? end + 1 : end) {
        uint64_t size = strtoull(at, &end, 10);
        if (end == at) break;
        if (size) options.memoryMegabytes.push_back(size);
      }
    } else {
      error = "unknown option " + arg;
      return false;
    }
    if (end && *end != '\0' && arg != "--memory-megabytes") {
      error = arg + ": not a number: " + value;
      return false;
    }
  }
  if (options.rounds < 1 || options.megabytes < 1) {
    error = "--rounds and --megabytes must be at least 1";
    return false;
  }
  return true;
}

std::string SelfPath() { return fs::read_symlink("/proc/self/exe").string(); }

std::string FindProgram(std::initializer_list<const char *> names) {
  const char *path = getenv("PATH");
  std::string directories = path ? path : "/usr/bin:/bin";
  for (const char *name : names) {
    size_t start = 0;
    while (start <= directories.size()) {
      size_t end = directories.find(':', start);
      if (end == std::string::npos) end = directories.size();
      fs::path candidate = fs::path(directories.substr(start, end - start)) / name;
      if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
      start = end + 1;
    }
  }
  return "";
}

void EmptyFolder(const std::string &folder) {
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  fs::create_directories(folder, ignored);
}

// The folder that an installer child's files landed in: the one stand-in
// drive folder made below the destination.
std::string InstalledRoot(const std::string &destination) {
  std::error_code ignored;
  for (const fs::directory_entry &entry : fs::directory_iterator(destination, ignored))
    if (entry.path().filename().string().rfind("win32sim-", 0) == 0) return (entry.path() / "C" / "MLUME").string();
  return "";
}

std::string FileBytes(const fs::path &path) {
  std::string bytes;
  return ReadWhole(path.string(), bytes) ? bytes : std::string("\x01missing");
}

// Every file of the source is in `root` with the same bytes.
bool SameFiles(const std::string &source, const std::string &root, std::string &problem) {
  for (const fs::directory_entry &entry : fs::recursive_directory_iterator(source)) {
    if (!entry.is_regular_file()) continue;
    fs::path relative = fs::relative(entry.path(), source);
    if (FileBytes(entry.path()) != FileBytes(fs::path(root) / relative)) {
      problem = relative.string() + " missing or different in " + root;
      return false;
    }
  }
  return true;
}

uint64_t FileSize(const std::string &path) {
  std::error_code ignored;
  uintmax_t size = fs::file_size(path, ignored);
  return ignored ? 0 : static_cast<uint64_t>(size);
}

bool Run(const std::vector<std::string> &command, const std::string &directory) {
  ChildResult result = RunChild(command, directory);
  if (!result.succeeded) fprintf(stderr, "failed: %s\n", command[0].c_str());
  return result.succeeded;
}

bool Pack(const std::string &folder, const std::string &output, uint64_t &archiveSize) {
  std::vector<SourceFile> files;
  std::string error;
  PackSummary summary;
  if (!CollectFolder(folder, files, error) || !OrderAndCheckSources(files, "lume32.exe", error) ||
      !PackPayload(files, output, false, summary, error)) {
    fprintf(stderr, "pack: %s\n", error.c_str());
    return false;
  }
  archiveSize = summary.archiveSize;
  return true;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Mib(uint64_t bytes) { return bytes / 1048576.0; }

void PrintTable(const std::vector<Method> &methods, uint64_t dataBytes, uint64_t sourceBytes, int rounds) {
  double inflate = 0, inflateInside = 0;
  for (const Method &method : methods)
    if (method.name == "one-shot inflate (memory)" && !method.failed) {
      inflate = Median(method.seconds);
      inflateInside = Median(method.insideSeconds);
    }
  printf("\n%llu bytes in the folder, %llu bytes of archive; medians of %d interleaved rounds\n\n",
         static_cast<unsigned long long>(sourceBytes), static_cast<unsigned long long>(dataBytes), rounds);
  printf("| extraction | process s | MB/s | x inflate | work s | x inflate | peak RSS MiB | RSS less payload MiB "
         "| compressed MB |\n");
  printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  for (const Method &method : methods) {
    if (method.failed) {
      printf("| %s | failed | | | | | | | |\n", method.name.c_str());
      continue;
    }
    double median = Median(method.seconds);
    std::string less = method.heldBytes ? std::to_string(Mib(method.peakKilobytes * 1024ull - method.heldBytes))
                                        : std::string("");
    if (!less.empty()) less.resize(less.find('.') + 2);
    std::string inside, insideRatio;
    if (!method.insideSeconds.empty()) {
      char text[64];
      double work = Median(method.insideSeconds);
      snprintf(text, sizeof text, "%.3f", work);
      inside = text;
      snprintf(text, sizeof text, "%.2f", inflateInside ? work / inflateInside : 0.0);
      insideRatio = text;
    }
    printf("| %s | %.3f | %.0f | %.2f | %s | %s | %.1f | %s | %.2f |\n", method.name.c_str(), median,
           sourceBytes / 1e6 / median, inflate ? median / inflate : 0.0, inside.c_str(), insideRatio.c_str(),
           method.peakKilobytes / 1024.0, less.c_str(), method.compressedBytes / 1e6);
  }
}

}  // namespace

int main(int argc, char **argv) {
  // Child modes: the benchmark runs its own executable for these.
  if (argc == 4 && strcmp(argv[1], "--child-install") == 0) return RunInstallerChild(argv[2], argv[3]);
  if (argc == 5 && strcmp(argv[1], "--child-ceiling") == 0)
    return RunCeilingChild(argv[2], strtoull(argv[3], nullptr, 10), argv[4], true);
  if (argc == 4 && strcmp(argv[1], "--child-inflate") == 0)
    return RunCeilingChild(argv[2], strtoull(argv[3], nullptr, 10), "", false);

  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    fprintf(stderr, "extraction_bench: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  std::string tar = FindProgram({"tar"}), gzip = FindProgram({"gzip"}), zip = FindProgram({"zip"}),
              unzip = FindProgram({"unzip"}), sevenZip = FindProgram({"7z", "7zz"});
  if (tar.empty() || gzip.empty() || zip.empty() || unzip.empty() || sevenZip.empty()) {
    fprintf(stderr, "extraction_bench: needs tar, gzip, zip, unzip and 7z (p7zip-full) in PATH\n");
    return 2;
  }
  std::string tag = "extraction_bench." + std::to_string(getpid());
  fs::path disk = fs::absolute(options.disk) / tag, tmpfs = fs::absolute(options.tmpfs) / tag;
  fs::path source = disk / "source", archives = disk / "archives";
  std::error_code failure;
  fs::create_directories(archives, failure);
  fs::create_directories(tmpfs, failure);
  int status = 1;
  auto cleanUp = [&] {
    std::error_code ignored;
    fs::remove_all(disk, ignored);
    fs::remove_all(tmpfs, ignored);
  };
  uint64_t archiveSize = 0;
  std::string payload = (archives / "payload.bin").string(), tgz = (archives / "files.tar.gz").string(),
              zipFile = (archives / "files.zip").string(), sevenFile = (archives / "files.7z").string();
  fprintf(stderr, "making a %llu MB folder and its archives ...\n", static_cast<unsigned long long>(options.megabytes));
  if (failure || !MakeBenchFolder(source.string(), options.megabytes * 1000000) ||
      !Pack(source.string(), payload, archiveSize) ||
      !Run({tar, "-I", gzip + " -9", "-cf", tgz, "."}, source.string()) ||
      !Run({zip, "-9", "-r", "-q", zipFile, "."}, source.string()) ||
      !Run({sevenZip, "a", "-mx9", sevenFile, "."}, source.string())) {
    fprintf(stderr, "extraction_bench: cannot prepare the folder and archives below %s\n", disk.c_str());
    cleanUp();
    return 1;
  }
  uint64_t sourceBytes = 0;
  for (const fs::directory_entry &entry : fs::recursive_directory_iterator(source))
    if (entry.is_regular_file()) sourceBytes += entry.file_size();

  std::string self = SelfPath(), size = std::to_string(archiveSize);
  uint64_t payloadBytes = FileSize(payload);
  auto destination = [](const fs::path &base, const char *name) { return (base / name).string(); };
  std::vector<Method> methods = {
      MakeMethod("installer (host build) to tmpfs", destination(tmpfs, "installer"), {self, "--child-install", payload, destination(tmpfs, "installer")}, "*", payloadBytes, payloadBytes),
      MakeMethod("installer (host build) to disk", destination(disk, "installer"), {self, "--child-install", payload, destination(disk, "installer")}, "*", payloadBytes, payloadBytes),
      MakeMethod("one-shot inflate + plain writes, tmpfs", destination(tmpfs, "ceiling"), {self, "--child-ceiling", payload, size, destination(tmpfs, "ceiling")}, "C/MLUME", payloadBytes, 0),
      MakeMethod("one-shot inflate + plain writes, disk", destination(disk, "ceiling"), {self, "--child-ceiling", payload, size, destination(disk, "ceiling")}, "C/MLUME", payloadBytes, 0),
      MakeMethod("one-shot inflate (memory)", "", {self, "--child-inflate", payload, size}, "", payloadBytes, 0),
      MakeMethod("tar xzf (gzip -9), tmpfs", destination(tmpfs, "tar"), {tar, "xzf", tgz}, ".", FileSize(tgz), 0),
      MakeMethod("unzip -o (zip -9), tmpfs", destination(tmpfs, "unzip"), {unzip, "-o", "-q", zipFile}, ".", FileSize(zipFile), 0),
      MakeMethod("7z x (7z -mx9), tmpfs", destination(tmpfs, "7z"), {sevenZip, "x", "-y", sevenFile}, ".", FileSize(sevenFile), 0),
  };
  for (int round = 0; round < options.rounds; ++round) {
    fprintf(stderr, "round %d of %d\n", round + 1, options.rounds);
    for (Method &method : methods) {
      if (method.failed) continue;
      std::string directory = method.destination.empty() ? disk.string() : method.destination;
      if (!method.destination.empty()) EmptyFolder(method.destination);
      ChildResult result = RunChild(method.command, directory);
      if (!result.succeeded) {
        fprintf(stderr, "%s: the extraction failed\n", method.name.c_str());
        method.failed = true;
        continue;
      }
      method.seconds.push_back(result.seconds);
      if (method.command[0] == self && !result.output.empty()) method.insideSeconds.push_back(strtod(result.output.c_str(), nullptr));
      method.peakKilobytes = std::max(method.peakKilobytes, result.peakKilobytes);
      if (round == 0 && !method.extractedRoot.empty()) {
        std::string root = method.extractedRoot == "*" ? InstalledRoot(method.destination)
                                                       : (fs::path(method.destination) / method.extractedRoot).string();
        std::string problem;
        if (!SameFiles(source.string(), root, problem)) {
          fprintf(stderr, "%s: %s\n", method.name.c_str(), problem.c_str());
          method.failed = true;
        }
      }
    }
  }
  PrintTable(methods, archiveSize, sourceBytes, options.rounds);
  status = std::any_of(methods.begin(), methods.end(), [](const Method &m) { return m.failed; }) ? 1 : 0;

  if (!options.memoryMegabytes.empty()) {
    printf("\npeak memory of the installer (to tmpfs) by payload size\n\n");
    printf("| folder MB | payload MB | peak RSS MiB | RSS less payload MiB |\n|---:|---:|---:|---:|\n");
  }
  for (uint64_t megabytes : options.memoryMegabytes) {
    fs::path folder = disk / ("memory" + std::to_string(megabytes));
    std::string bin = folder.string() + ".bin", target = (tmpfs / "memory").string();
    uint64_t ignoredSize;
    if (!MakeBenchFolder(folder.string(), megabytes * 1000000) || !Pack(folder.string(), bin, ignoredSize)) {
      status = 1;
      continue;
    }
    EmptyFolder(target);
    ChildResult result = RunChild({self, "--child-install", bin, target}, target);
    uint64_t held = FileSize(bin);
    if (!result.succeeded) status = 1;
    printf("| %llu | %.1f | %.1f | %.1f |\n", static_cast<unsigned long long>(megabytes), held / 1e6,
           result.peakKilobytes / 1024.0, Mib(result.peakKilobytes * 1024ull - held));
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::remove_all(target, ignored);
  }
  cleanUp();
  return status;
}
