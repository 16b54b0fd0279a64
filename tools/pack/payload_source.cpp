#include "tools/pack/payload_source.h"

#include <fnmatch.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "payload/archive_format.h"
#include "tools/pack/archive_writer.h"

namespace fs = std::filesystem;

namespace {

// Every name refused in this run, so that all are reported at once.
std::vector<std::string> g_refusedNames;
std::vector<std::string> g_leftOut;

const char *const kDefaultExcludedFolders[] = {".git", ".svn", ".hg"};
const char *const kDefaultExcludedFiles[] = {".DS_Store", "Thumbs.db", "desktop.ini"};

bool NamedIn(const std::string &name, const char *const (&names)[3]) {
  for (const char *excluded : names)
    if (strcasecmp(name.c_str(), excluded) == 0) return true;
  return false;
}

// Whether the entry at `relative` ("name" or "sub/name") stays out: by a
// pattern given, or by default (noted for the report).
bool LeftOut(const std::string &relative, const std::string &name, bool folder, const PackExclusions &exclusions) {
  for (const std::string &pattern : exclusions.patterns)
    if (fnmatch(pattern.c_str(), relative.c_str(), 0) == 0) return true;
  if (!exclusions.defaults || !(folder ? NamedIn(name, kDefaultExcludedFolders) : NamedIn(name, kDefaultExcludedFiles)))
    return false;
  g_leftOut.push_back(relative + (folder ? "/" : ""));
  return true;
}

bool RefuseName(const std::string &problem) {
  g_refusedNames.push_back(problem);
  return true;  // the next names are looked at too
}

// A single file or folder name: the marks that the stored name uses itself
// are refused here, the rest by EntryNameProblem on the joined name.
bool CheckComponent(const std::string &component, const std::string &path) {
  if (component.find(kSubdirectoryMark) != std::string::npos || component.find('\\') != std::string::npos) {
    RefuseName(path + ": a '\\' or '!' in a file or folder name cannot be stored");
    return false;
  }
  return true;
}

bool AddFile(const fs::path &path, const std::string &file, const std::string &subdir, const NameCodePage &codePage,
             std::vector<SourceFile> &files, std::string &error) {
  const std::string shown = path.string();
  std::error_code failure;
  if (!fs::is_regular_file(path, failure)) {
    error = shown + ": " + (failure ? failure.message() : std::string("not a regular file"));
    return false;
  }
  if (!CheckComponent(file, shown) || (!subdir.empty() && !CheckComponent(subdir, shown))) return true;
  std::string hostName = subdir.empty() ? file : file + kSubdirectoryMark + subdir;
  std::string name, problem;
  if (!codePage.Encode(hostName, name, problem))
    return RefuseName(shown + ": the name \"" + hostName + "\" cannot be stored: " + problem);
  problem = EntryNameProblem(name);
  if (!problem.empty()) return RefuseName(shown + ": stored as \"" + hostName + "\", " + problem + " cannot be stored");
  uintmax_t size = fs::file_size(path, failure);
  if (failure) {
    error = shown + ": " + failure.message();
    return false;
  }
  if (size > kMaxArchiveSize) {
    error = shown + ": " + std::to_string(size) + " bytes; a file must stay below 2^31 bytes";
    return false;
  }
  files.push_back(SourceFile{shown, name, static_cast<uint64_t>(size)});
  return true;
}

// Entries of a directory, sorted so that a payload does not depend on the
// order the file system lists them in.
bool SortedEntries(const fs::path &folder, std::vector<fs::directory_entry> &entries, std::string &error) {
  std::error_code failure;
  fs::directory_iterator it(folder, failure), end;
  for (; !failure && it != end; it.increment(failure)) entries.push_back(*it);
  if (failure) {
    error = folder.string() + ": " + failure.message();
    return false;
  }
  std::sort(entries.begin(), entries.end(),
            [](const fs::directory_entry &a, const fs::directory_entry &b) { return a.path() < b.path(); });
  return true;
}

}  // namespace

bool CollectFolder(const std::string &folder, std::vector<SourceFile> &files, std::string &error,
                   const NameCodePage &codePage, const PackExclusions &exclusions) {
  std::error_code failure;
  if (!fs::is_directory(folder, failure)) {
    error = folder + ": " + (failure ? failure.message() : std::string("not a folder"));
    return false;
  }
  std::vector<fs::directory_entry> top;
  if (!SortedEntries(folder, top, error)) return false;
  for (const fs::directory_entry &entry : top) {
    std::string name = entry.path().filename().string();
    bool isFolder = entry.is_directory(failure);
    if (LeftOut(name, name, isFolder, exclusions)) continue;
    if (!isFolder) {
      if (!AddFile(entry.path(), name, "", codePage, files, error)) return false;
      continue;
    }
    std::vector<fs::directory_entry> inner;
    if (!SortedEntries(entry.path(), inner, error)) return false;
    for (const fs::directory_entry &file : inner) {
      std::string fileName = file.path().filename().string();
      bool innerFolder = file.is_directory(failure);
      if (LeftOut(name + "/" + fileName, fileName, innerFolder, exclusions)) continue;
      if (innerFolder) {
        error = file.path().string() + ": folders deeper than one level cannot be stored";
        return false;
      }
      if (!AddFile(file.path(), fileName, name, codePage, files, error)) return false;
    }
  }
  if (files.empty() && g_refusedNames.empty()) {
    error = folder + ": the folder is empty: nothing to pack";
    return false;
  }
  return true;
}

bool CollectListedFile(const std::string &base, const std::string &relative, std::vector<SourceFile> &files,
                       std::string &error, const NameCodePage &codePage) {
  fs::path given(relative);
  std::vector<std::string> parts;
  for (const fs::path &part : given) parts.push_back(part.string());
  if (given.is_absolute() || parts.empty() || parts.size() > 2 ||
      std::find(parts.begin(), parts.end(), "..") != parts.end() ||
      std::find(parts.begin(), parts.end(), ".") != parts.end()) {
    error = relative + ": give a file as \"file\" or \"subfolder/file\" relative to -C (folders deeper than one "
                       "level cannot be stored)";
    return false;
  }
  fs::path path = base.empty() ? given : fs::path(base) / given;
  return parts.size() == 1 ? AddFile(path, parts[0], "", codePage, files, error)
                           : AddFile(path, parts[1], parts[0], codePage, files, error);
}

uint64_t SourcesTotalSize(const std::vector<SourceFile> &files) {
  uint64_t total = 0;
  for (const SourceFile &file : files) total += EntryTotalSize(file.name.size(), file.size);
  return total;
}

bool OrderAndCheckSources(std::vector<SourceFile> &files, const std::string &mainProgram, std::string &error,
                          const NameCodePage &codePage) {
  std::map<std::string, const SourceFile *> seen;  // by name without case
  for (const SourceFile &file : files) {
    auto inserted = seen.emplace(codePage.CaseKey(file.name), &file);
    if (!inserted.second)
      RefuseName(file.path + ": stored as \"" + codePage.Decode(file.name) + "\", which " +
                 inserted.first->second->path + " already is (Windows does not tell case apart)");
  }
  if (!g_refusedNames.empty()) {
    error.clear();
    for (const std::string &problem : g_refusedNames) error += problem + "\n";
    error += std::to_string(g_refusedNames.size()) + (g_refusedNames.size() == 1 ? " name" : " names") +
             " cannot be stored; nothing written";
    g_refusedNames.clear();
    return false;
  }
  if (files.size() > kMaxFileCount) {
    error = std::to_string(files.size()) + " files; a payload holds at most " + std::to_string(kMaxFileCount);
    return false;
  }
  // A main program the code page cannot hold cannot be among the files either.
  std::string storedMain, ignored;
  auto isMain = [&](const SourceFile &file) { return file.name == storedMain; };
  auto main = codePage.Encode(mainProgram, storedMain, ignored) ? std::find_if(files.begin(), files.end(), isMain)
                                                                : files.end();
  if (main == files.end()) {
    error = "the main program \"" + mainProgram + "\" is not among the files (it must be a top-level file)";
    return false;
  }
  std::rotate(files.begin(), main, main + 1);
  uint64_t total = SourcesTotalSize(files);
  if (total > kMaxArchiveSize) {
    error = "the files come to a total size of " + std::to_string(total) + " bytes; it must stay below 2^31";
    return false;
  }
  return true;
}

std::vector<std::string> TakeLeftOutByDefault() {
  std::vector<std::string> leftOut;
  leftOut.swap(g_leftOut);
  return leftOut;
}
