// Test side: junctions, links and deletes at the next start of Windows.
#pragma once

#include <string>
#include <vector>

namespace sim {

// Makes `windowsPath` a junction to the folder `target` (made if missing):
// GetFileAttributesA reports it as a reparse point, file calls through it
// reach the target's files, RemoveDirectoryA removes the junction alone.
void MakeJunction(const std::string &windowsPath, const std::string &target);
bool IsJunction(const std::string &windowsPath);
// Makes `windowsPath` a symbolic link to the file `target`: a reparse point
// without the folder attribute, opened itself only with
// FILE_FLAG_OPEN_REPARSE_POINT.
void MakeFileLink(const std::string &windowsPath, const std::string &target);
// Gives the existing file `target` the second name `windowsPath`.
void MakeHardLink(const std::string &windowsPath, const std::string &target);
// The full paths that MoveFileExA was asked to delete when Windows next
// starts, in order.
const std::vector<std::string> &DelayedDeletes();

}  // namespace sim
