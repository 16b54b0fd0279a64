// The installation sequence: every step in order, and every way out.
#pragma once

// The process exit code, for the scripts and deployment tools that run a
// silent installation.
enum InstallationExitCode {
  kExitCompleted = 0,  // installed, whether or not the program was started
  kExitNotBegun = 1,   // nothing written: the payload is missing or damaged (its checksum too), no memory
                       // for it, too little free space, another run is going, or, with no
                       // message boxes, a destination that was refused
  kExitCancelled = 2,  // the user or "sAssoc" ended the run before anything was written
  kExitFailed = 3,     // the copy stopped part-way and was undone: all is as it was before
  kExitNotRestored = 4,  // the copy stopped part-way and something could not be put back
};

int RunInstallation();
