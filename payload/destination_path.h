// Creating the directories of the destination before anything is copied.
#pragma once

constexpr int kDestinationCreated = 0;
constexpr int kDestinationUnformable = 1;
constexpr int kDestinationNoRoom = 2;

// Removes leading blanks and tabs from the destination directory, makes it
// the full path it names, then creates every directory along it, those it
// makes and the destination itself with protected rights.
// kDestinationUnformable for an empty destination, when the full path cannot
// be formed within a path buffer, is a drive or share root or a device path,
// or leaves no room below it for the longest entry name (the destination is
// then unchanged but for the blanks); and when the destination is there
// already but cannot be given those rights (it is then the full path).
// kDestinationNoRoom, after the checks of the path's form and before any
// folder is made or changed, when its volume has no room for the payload
// (payload/free_space.h); the destination is then unchanged too.
int CreateDestinationPath();
