// Packing checked source files into a payload resource file.
#pragma once

#include <string>
#include <vector>

#include "tools/pack/output_file.h"
#include "tools/pack/payload_source.h"

struct PackSummary {
  uint64_t archiveSize = 0;
  uint64_t streamSize = 0;
};

// Reads every file (each must still have the size it had when collected),
// builds the archive and compresses it at the highest level: the resource
// bytes, in memory.
bool BuildPayload(const std::vector<SourceFile> &files, bool showProgress, PackSummary &summary, std::string &resource,
                  std::string &error);


// BuildPayload, then the resource file. Reads every file (each must still have the size it had when collected),
// builds the archive, compresses it at the highest level and writes the
// resource file. The output appears only when all went well.
bool PackPayload(const std::vector<SourceFile> &files, const std::string &output, bool showProgress,
                 PackSummary &summary, std::string &error);
