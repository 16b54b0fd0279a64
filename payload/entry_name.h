// Names of archive entries, and where each one is written.
#pragma once

#include <cstddef>

// True for a name that can only land inside the destination: `bytes` holds
// `length` bytes whose last is the only zero; the name is a plain file name
// or file!subdirectory, and no part is empty, "." or "..", ends in a dot or
// blank, holds a path separator, drive colon, '$' or a character Windows
// forbids, or is a device name; nor is a plain name DEF.TVD in any case. The
// last two are what the installed-file records could not carry back.
bool IsSafeEntryName(const char *bytes, size_t length);

// The target path of a safe entry name below `destination`: the directory
// join of both, or for file!subdirectory the file inside that subdirectory.
// `subdirectory` receives the subdirectory's path (empty for a plain name).
// False when a path would not fit `size` bytes.
bool BuildTargetPath(const char *destination, const char *name, char *target, char *subdirectory, size_t size);

// True for DEF.TVD in any letter case (`length` bytes, no zero): the record
// of the file the installer never writes, so no payload file may bear it.
bool IsUnextractedRecordName(const char *name, size_t length);
