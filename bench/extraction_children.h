// The extractions that the benchmark runs in child processes of its own
// executable, each a fresh process as a real installer run would be.
#pragma once

#include <cstdint>
#include <string>

// The host build of the installer, silent, with this payload resource file
// as resource 512/301: the stand-in's drives live in a new folder inside
// `destination`, and the files land in <that>/C/MLUME. Prints the seconds
// spent in WinMain; exit status 0 when it ended without a message box.
int RunInstallerChild(const std::string &payloadFile, const std::string &destination);

// The ceiling for this format: the stream inflated in one call into memory
// that holds the whole archive, then each file written with plain POSIX
// calls to <destination>/C/MLUME. With writeFiles false, only the inflate.
// Prints the seconds of the inflate and the writes, the output memory
// touched beforehand.
int RunCeilingChild(const std::string &payloadFile, uint64_t archiveSize, const std::string &destination,
                    bool writeFiles);

// The whole file in memory, read with plain read() calls.
bool ReadWhole(const std::string &path, std::string &bytes);
