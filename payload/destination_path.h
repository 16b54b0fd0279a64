// Creating the directories of the destination before anything is copied.
#pragma once

constexpr int kDestinationCreated = 0;
constexpr int kDestinationUnformable = 1;

// Removes leading blanks and tabs from the destination directory, then
// creates every directory along its full path. kDestinationUnformable when the
// full path cannot be formed within a path buffer.
int CreateDestinationPath();
