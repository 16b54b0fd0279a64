// The test side of folder rights: what was given to each folder, faults, and
// reparse points as a user may make them.
#pragma once

#include <string>

namespace sim {

// The descriptor given to this folder at creation (CreateDirectoryA) and set
// on it since (SetFileSecurityA, SetKernelObjectSecurity), as SDDL: "O:"
// owner when one was given, then "D:" and the DACL ("D:NO_ACCESS_CONTROL"
// for a null DACL); "" when the folder was given none.
std::string FolderSecurity(const std::string &windowsPath);
// SetFileSecurityA, and SetKernelObjectSecurity on a handle opened on this
// path, fail with ERROR_ACCESS_DENIED.
void FailSecuritySetting(const std::string &windowsPath);
// Descriptors made by the SDDL conversion and not yet released.
int LiveSecurityDescriptors();

}  // namespace sim
