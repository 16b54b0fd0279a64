// Creating the directories of the destination before anything is copied.
#pragma once

constexpr int kDestinationCreated = 0;
constexpr int kDestinationUnformable = 1;

// Removes leading blanks and tabs from the destination directory, makes it
// the full path it names, then creates every directory along it.
// kDestinationUnformable for an empty destination, or when the full path
// cannot be formed within a path buffer (the destination is then unchanged
// but for the blanks).
int CreateDestinationPath();
