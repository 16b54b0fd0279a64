#include "payload/folder_rights.h"

#include <windows.h>
#include <sddl.h>

namespace {

// Full control for SYSTEM and Administrators, read and execute for Users,
// inherited by everything below; protected from what the parent grants.
const char kFolderRights[] = "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
// The same with Administrators as owner, for a folder some user may have made.
const char kOwnedFolderRights[] = "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

PSECURITY_DESCRIPTOR BuildDescriptor(const char *sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr))
    return nullptr;
  return descriptor;
}

}  // namespace

bool CreateProtectedFolder(const char *path) {
  PSECURITY_DESCRIPTOR descriptor = BuildDescriptor(kFolderRights);
  if (!descriptor) return false;
  SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
  BOOL created = CreateDirectoryA(path, &security);
  DWORD error = GetLastError();
  LocalFree(descriptor);
  SetLastError(error);
  return created != FALSE;
}

bool ProtectExistingFolder(const char *path) {
  PSECURITY_DESCRIPTOR descriptor = BuildDescriptor(kOwnedFolderRights);
  if (!descriptor) return false;
  // The folder itself, never what a reparse point there leads to, opened once
  // and checked and set through that handle: whoever owns it cannot swap it
  // for a junction in between. Without delete sharing it cannot be moved
  // either while held, which counts only for a handle with some data access
  // such as listing.
  HANDLE folder = CreateFileA(path, FILE_LIST_DIRECTORY | READ_CONTROL | WRITE_DAC | WRITE_OWNER,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  BOOL set = FALSE;
  if (folder != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(folder, &information) &&
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      set = SetKernelObjectSecurity(folder, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor);
    CloseHandle(folder);
  }
  LocalFree(descriptor);
  return set != FALSE;
}

bool MakeFolderOurs(const char *path, bool *made) {
  *made = CreateProtectedFolder(path);
  if (*made) return true;
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return true;
  return ProtectExistingFolder(path);
}
