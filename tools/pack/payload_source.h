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

// Every file of a folder and of its direct subfolders, sorted by host path.
// Names are converted from the host's UTF-8 to `codePage`; the format's and
// the installer's rules apply to the converted bytes.
bool CollectFolder(const std::string &folder, std::vector<SourceFile> &files, std::string &error,
                   const NameCodePage &codePage = DefaultNameCodePage());

// One file named by a path relative to `base`: "file" or "subdir/file".
bool CollectListedFile(const std::string &base, const std::string &relative, std::vector<SourceFile> &files,
                       std::string &error, const NameCodePage &codePage = DefaultNameCodePage());

// Moves the main program (named in UTF-8) to the front and checks the whole
// set: the main program is there, no name twice (Windows ignores case),
// sizes and the total below 2^31, at most 65,535 entries.
bool OrderAndCheckSources(std::vector<SourceFile> &files, const std::string &mainProgram, std::string &error,
                          const NameCodePage &codePage = DefaultNameCodePage());

// The archive's total size field for these files.
uint64_t SourcesTotalSize(const std::vector<SourceFile> &files);
