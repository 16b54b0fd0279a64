#include "bench/bench_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

// A fixed generator, so every run packs the same bytes.
struct Generator {
  uint64_t state;
  uint32_t Next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state >> 33);
  }
};

const char *const kWords[] = {"picture", "viewer", "palette", "colour", "window", "folder", "zoom",    "slide",
                              "image",   "pixel",  "format",  "scan",   "print",  "file",   "display", "the",
                              "and",     "of",     "a",       "to",     "with",   "for",    "is",      "in"};

std::string TextBytes(Generator &random, size_t size) {
  std::string text;
  text.reserve(size + 16);
  while (text.size() < size) {
    text += kWords[random.Next() % (sizeof kWords / sizeof kWords[0])];
    text += random.Next() % 12 == 0 ? ".\r\n" : " ";
  }
  text.resize(size);
  return text;
}

std::string RandomBytes(Generator &random, size_t size) {
  std::string bytes(size, '\0');
  for (char &byte : bytes) byte = static_cast<char>(random.Next() >> 8);
  return bytes;
}

// Records of a fixed layout with a few changing fields, like image tables.
std::string RepetitiveBytes(Generator &random, size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) {
    size_t field = i % 64;
    bytes[i] = static_cast<char>(field < 8 ? (i / 64) >> (field * 2) : field < 12 ? random.Next() % 4 : field * 3);
  }
  return bytes;
}

bool WriteBytes(const std::filesystem::path &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

bool MakeBenchFolder(const std::string &folder, uint64_t bytes) {
  namespace fs = std::filesystem;
  std::error_code failure;
  if (!fs::create_directory(folder, failure) || !fs::create_directory(fs::path(folder) / "DATA", failure)) return false;
  Generator random{0x4D6F72614C554D45ULL};
  if (!WriteBytes(fs::path(folder) / "lume32.exe", RepetitiveBytes(random, 300000))) return false;
  const uint64_t fileSize = bytes / 30 + 1;
  uint64_t written = 300000;
  for (int i = 0; written < bytes; ++i) {
    size_t size = static_cast<size_t>(std::min<uint64_t>(fileSize - random.Next() % (fileSize / 4), bytes - written));
    std::string name, data;
    switch (i % 3) {
      case 0: name = "TEXT" + std::to_string(i) + ".TXT", data = TextBytes(random, size); break;
      case 1: name = "PICT" + std::to_string(i) + ".JPG", data = RandomBytes(random, size); break;
      default: name = "TABLE" + std::to_string(i) + ".DAT", data = RepetitiveBytes(random, size); break;
    }
    fs::path path = i % 5 == 4 ? fs::path(folder) / "DATA" / name : fs::path(folder) / name;
    if (!WriteBytes(path, data)) return false;
    written += size;
  }
  return true;
}
