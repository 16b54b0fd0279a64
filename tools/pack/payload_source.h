// The files that go into a payload, gathered from a folder or a list, and
// checked against what the archive format can carry before anything is read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SourceFile {
  std::string path;  // on disk
  std::string name;  // as stored: "file" or "file!subdir"
  uint64_t size;
};

// Every file of a folder and of its direct subfolders, sorted by stored name.
bool CollectFolder(const std::string &folder, std::vector<SourceFile> &files, std::string &error);

// One file named by a path relative to `base`: "file" or "subdir/file".
bool CollectListedFile(const std::string &base, const std::string &relative, std::vector<SourceFile> &files,
                       std::string &error);

// Moves the main program to the front and checks the whole set: the main
// program is there, no name twice (Windows ignores case), sizes and the
// total below 2^31, at most 65,535 entries.
bool OrderAndCheckSources(std::vector<SourceFile> &files, const std::string &mainProgram, std::string &error);

// The archive's total size field for these files.
uint64_t SourcesTotalSize(const std::vector<SourceFile> &files);
