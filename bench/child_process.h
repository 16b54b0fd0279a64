// Running one extraction as a child process: its wall time and its peak
// resident memory, as the kernel accounts them (the child and whatever it
// waits for, such as the gzip under tar).
#pragma once

#include <string>
#include <vector>

struct ChildResult {
  bool succeeded = false;  // exit status 0
  double seconds = 0;
  long peakKilobytes = 0;  // peak resident memory of the command and the children it waits for
  std::string output;      // what it wrote to its standard output
};

// Runs argv[0] (searched in PATH) with these arguments in `directory`; its
// standard output is kept, its errors discarded.
ChildResult RunChild(const std::vector<std::string> &argv, const std::string &directory);
