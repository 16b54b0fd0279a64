// Room for the payload on the destination's volume, asked before anything is
// made there.
#pragma once

#include <cstddef>

// Whether the volume has room for the archive's total size and one cluster
// for each of its files (nothing is counted off for files that will be
// replaced). `full` is the destination's full path, whose root ("C:\",
// "\\server\share\") ends at `rootLength`. The free space is what this user
// may still write (quotas), asked of the deepest folder of the path that
// exists; the cluster is the root's, 4,096 bytes when that cannot be learnt.
// True when the free space cannot be learnt: the copy then reports a full disk.
bool PayloadFitsBelow(const char *full, size_t rootLength);
