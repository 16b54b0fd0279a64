// Shared between the stand-in's areas; not for tests or product code.
#pragma once

#include <string>

#include "win32sim/file_api.h"

namespace sim {

void ResetMemory();
void ResetFiles();
void ResetSystem();
void ResetResources();
void ResetDialogs();
void ResetGdi();
void ResetRegistry();
void ResetDde();
void ResetProcess();
void ResetDllSearch();
void ResetSecurity();
void ResetFolders();

// Windows rules for forming a full path (drive-relative and relative paths
// against the current directory, '.' and '..', '/' as '\'). False for what
// the stand-in does not map (UNC paths, no drive).
bool FullWindowsPath(const std::string &path, std::string &full);
// Shares and device namespaces, for GetFullPathNameA only.
bool FullNetworkPath(const std::string &path, std::string &full);
// A full path in one letter case and without trailing separators, for
// comparing paths as Windows does; "" for one that cannot be formed.
std::string PathKey(const std::string &windowsPath);

// 8.3 names: whether a name is one, and Windows' alias of a longer one.
bool IsShortName(const std::string &name);
std::string ShortAlias(const std::string &name);

// The descriptor that CreateDirectoryA is given: whether it is one the
// stand-in made, and the folder's record of it once made.
bool CreationSecurityValid(const SECURITY_ATTRIBUTES *security);
void RecordCreationSecurity(const std::string &path, const SECURITY_ATTRIBUTES *security);

}  // namespace sim
