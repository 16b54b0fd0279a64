#include "tools/pack/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// What stands at the output's name, when it is not something to replace.
const char *NotAnOutput(const struct stat &info) {
  if (S_ISLNK(info.st_mode)) return "a symbolic link";
  if (S_ISDIR(info.st_mode)) return "a directory";
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "a device";
  if (S_ISFIFO(info.st_mode)) return "a FIFO";
  if (S_ISSOCK(info.st_mode)) return "a socket";
  return nullptr;
}

std::string FolderOf(const std::string &path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool Refuse(const std::string &path, const std::string &why, std::string &error) {
  error = path + ": cannot be written: " + why;
  return false;
}

bool WriteAll(int fd, const std::string &bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

}  // namespace

bool WriteWholeFile(const std::string &path, const std::string &bytes, std::string &error) {
  struct stat existing;
  if (lstat(path.c_str(), &existing) == 0) {
    if (const char *what = NotAnOutput(existing))
      return Refuse(path, std::string(what) + ", not a regular file; -o names a regular file or a new name", error);
  } else if (errno != ENOENT) {
    return Refuse(path, strerror(errno), error);
  }
  std::string temporary = path + ".XXXXXX";
  std::vector<char> name(temporary.begin(), temporary.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) {
    int reason = errno;
    std::string why = strerror(reason);
    if (reason == ENOENT) why += " (the folder " + FolderOf(path) + " does not exist)";
    return Refuse(path, why, error);
  }
  bool written = WriteAll(fd, bytes);
  int reason = errno;
  if (close(fd) != 0 && written) {
    written = false;
    reason = errno;
  }
  // mkstemp makes the file for its owner alone; the output gets the usual rights.
  mode_t mask = umask(0);
  umask(mask);
  if (written) chmod(name.data(), 0666 & ~mask);
  if (written && rename(name.data(), path.c_str()) != 0) {
    written = false;
    reason = errno;
  }
  if (!written) {
    unlink(name.data());
    return Refuse(path, strerror(reason), error);
  }
  return true;
}

bool ReadWholeFile(const std::string &path, std::string &contents, std::string &error) {
  FILE *in = fopen(path.c_str(), "rb");
  if (!in) {
    error = path + ": cannot be opened: " + strerror(errno);
    return false;
  }
  struct stat info;
  if (fstat(fileno(in), &info) == 0 && S_ISDIR(info.st_mode)) {
    fclose(in);
    error = path + ": a directory, not a file";
    return false;
  }
  contents.clear();
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, in)) > 0) contents.append(buffer, got);
  bool failed = ferror(in) != 0;
  int reason = errno;
  fclose(in);
  if (failed) error = path + ": cannot be read: " + strerror(reason);
  return !failed;
}
