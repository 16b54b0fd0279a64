#include "bench/extraction_children.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "payload/archive_format.h"
#include "tools/pack/payload_checksum.h"
#include "win32sim/testapi.h"

bool ReadWhole(const std::string &path, std::string &bytes) {
  // Read in pieces into reserved room: no zero-filling, and no second copy
  // of the whole file held at once.
  int fd = open(path.c_str(), O_RDONLY);
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0) {
    if (fd >= 0) close(fd);
    return false;
  }
  bytes.clear();
  bytes.reserve(static_cast<size_t>(info.st_size));
  std::vector<char> piece(1 << 20);
  for (ssize_t got; (got = read(fd, piece.data(), piece.size())) > 0;) bytes.append(piece.data(), got);
  close(fd);
  return bytes.size() == static_cast<size_t>(info.st_size);
}

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int RunInstallerChild(const std::string &payloadFile, const std::string &destination) {
  // The stand-in makes its drive folder below TMPDIR.
  setenv("TMPDIR", destination.c_str(), 1);
  if (!sim::LoadResourceFile(SETUP_RES_PATH)) return 2;
  sim::Reset();
  std::string payload;
  if (!ReadWhole(payloadFile, payload)) return 3;
  // With its checksum, as lumepack installer writes it: the check is part of the cost.
  sim::SetResource(kPayloadResourceType, kChecksumResourceName, ChecksumResourceFor(payload));
  sim::RemoveResource(kPayloadResourceType, kPayloadResourceName);
  sim::Resources().push_back(sim::Resource{"#" + std::to_string(kPayloadResourceType),
                                           "#" + std::to_string(kPayloadResourceName), 1033, std::move(payload)});
  sim::WriteFile("C:\\dist\\tovaopt.ini", "sSilent=1\r\nsAssoc=0\r\n");
  char arguments[] = "";
  auto start = std::chrono::steady_clock::now();
  WinMain(nullptr, nullptr, arguments, SW_SHOWNORMAL);
  printf("%.6f\n", SecondsSince(start));
  fflush(stdout);
  // The files stay: _exit skips the stand-in's clean-up at exit.
  _exit(sim::MessageBoxes().empty() ? 0 : 4);
}

namespace {

uint32_t Little(const unsigned char *bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

bool WriteFileAt(const std::string &path, const unsigned char *data, size_t size) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < size) {
    ssize_t put = write(fd, data + done, size - done);
    if (put <= 0) break;
    done += static_cast<size_t>(put);
  }
  return close(fd) == 0 && done == size;
}

}  // namespace

int RunCeilingChild(const std::string &payloadFile, uint64_t archiveSize, const std::string &destination,
                    bool writeFiles) {
  std::string payload;
  if (!ReadWhole(payloadFile, payload) || payload.size() < kCompressedLengthSize) return 3;
  // Touched beforehand, so that the inflate alone is timed inside.
  std::vector<unsigned char> archive(archiveSize, 1);
  uLongf size = static_cast<uLongf>(archiveSize);
  auto start = std::chrono::steady_clock::now();
  if (uncompress(archive.data(), &size, reinterpret_cast<const Bytef *>(payload.data()) + kCompressedLengthSize,
                 static_cast<uLong>(payload.size() - kCompressedLengthSize)) != Z_OK ||
      size != archiveSize)
    return 4;
  if (!writeFiles) {
    printf("%.6f\n", SecondsSince(start));
    return 0;
  }
  std::string root = destination + "/C";
  mkdir(root.c_str(), 0755);
  root += "/MLUME";
  mkdir(root.c_str(), 0755);
  const unsigned char *at = archive.data() + kArchiveHeaderSize;
  for (uint32_t count = Little(archive.data(), 2); count > 0; --count) {
    unsigned nameLength = *at++;
    std::string name(reinterpret_cast<const char *>(at), strnlen(reinterpret_cast<const char *>(at), nameLength));
    at += nameLength;
    uint32_t dataSize = Little(at, 4);
    at += 4;
    std::string path = root + "/" + name;
    size_t mark = name.find(kSubdirectoryMark);
    if (mark != std::string::npos) {
      std::string folder = root + "/" + name.substr(mark + 1);
      mkdir(folder.c_str(), 0755);
      path = folder + "/" + name.substr(0, mark);
    }
    if (!WriteFileAt(path, at, dataSize)) return 5;
    at += dataSize;
  }
  printf("%.6f\n", SecondsSince(start));
  return 0;
}
