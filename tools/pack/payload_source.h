// The files that go into a payload, gathered from a folder or a list, and
// checked against what the archive format can carry before anything is read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pack/name_codepage.h"

struct SourceFile {
  std::string path;  // on disk
  std::string name;  // as stored, in the installer's code page: "file" or "file!subdir"
  uint64_t size;
};

// What a folder's packing leaves out: entries whose relative path ("name",
// "sub/name") matches a shell pattern, and by default version-control folders
// (.git, .svn, .hg) and .DS_Store, Thumbs.db and desktop.ini.
struct PackExclusions {
  std::vector<std::string> patterns;
  bool defaults = true;
};

// Every file of a folder and of its direct subfolders, sorted by host path,
// but those excluded. Names are converted from the host's UTF-8 to
// `codePage`; the format's and the installer's rules apply to the converted
// bytes. A name that breaks them is kept back for OrderAndCheckSources to
// report with every other, and the collection goes on; an empty folder is
// refused.
bool CollectFolder(const std::string &folder, std::vector<SourceFile> &files, std::string &error,
                   const NameCodePage &codePage = DefaultNameCodePage(), const PackExclusions &exclusions = {});
// The entries the defaults left out since the last call, "sub/" for a folder.
std::vector<std::string> TakeLeftOutByDefault();

// One file named by a path relative to `base`: "file" or "subdir/file".
bool CollectListedFile(const std::string &base, const std::string &relative, std::vector<SourceFile> &files,
                       std::string &error, const NameCodePage &codePage = DefaultNameCodePage());

// Reports every name refused while collecting, and every name twice
// (Windows ignores case), all at once; then moves the main program (named in
// UTF-8) to the front and checks the whole set: the main program is there,
// sizes and the total below 2^31, at most 65,535 entries.
bool OrderAndCheckSources(std::vector<SourceFile> &files, const std::string &mainProgram, std::string &error,
                          const NameCodePage &codePage = DefaultNameCodePage());

// The archive's total size field for these files.
uint64_t SourcesTotalSize(const std::vector<SourceFile> &files);
