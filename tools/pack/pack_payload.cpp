#include "tools/pack/pack_payload.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "payload/archive_format.h"
#include "tools/pack/archive_writer.h"
#include "tools/pack/output_file.h"
#include "tools/pack/progress.h"

namespace {

bool AppendFileData(const SourceFile &file, std::string &archive, std::string &error) {
  std::ifstream in(file.path, std::ios::binary);
  if (!in) {
    error = file.path + ": cannot be opened: " + strerror(errno);
    return false;
  }
  size_t start = archive.size();
  archive.resize(start + file.size);
  in.read(&archive[start], static_cast<std::streamsize>(file.size));
  if (static_cast<uint64_t>(in.gcount()) != file.size || in.peek() != std::char_traits<char>::eof()) {
    error = file.path + ": changed size while being packed";
    return false;
  }
  return true;
}

}  // namespace

bool BuildPayload(const std::vector<SourceFile> &files, bool showProgress, PackSummary &summary, std::string &resource,
                  std::string &error) {
  PackProgress progress(showProgress);
  uint64_t dataBytes = 0, archiveBytes = kArchiveHeaderSize;
  for (const SourceFile &file : files) {
    dataBytes += file.size;
    archiveBytes += 1 + file.name.size() + 1 + 4 + file.size;
  }
  std::string archive;
  archive.reserve(static_cast<size_t>(archiveBytes));
  AppendArchiveHeader(archive, static_cast<uint16_t>(files.size()), static_cast<uint32_t>(SourcesTotalSize(files)));
  uint64_t done = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    AppendEntryName(archive, files[i].name);
    AppendDataSize(archive, static_cast<uint32_t>(files[i].size));
    if (!AppendFileData(files[i], archive, error)) return false;
    done += files[i].size;
    progress.Reading(i + 1, files.size(), done, dataBytes);
  }
  summary.archiveSize = archive.size();

  progress.StartTimedPhase("compressing " + std::to_string(archive.size() / 1000) + " kB at the highest level");
  std::string stream;
  bool compressed = CompressArchive(archive, stream);
  progress.EndPhase();
  if (!compressed) {
    error = "out of memory while compressing";
    return false;
  }
  summary.streamSize = stream.size();
  resource = PayloadResourceBytes(stream);
  return true;
}

bool PackPayload(const std::vector<SourceFile> &files, const std::string &output, bool showProgress,
                 PackSummary &summary, std::string &error) {
  std::string resource;
  return BuildPayload(files, showProgress, summary, resource, error) && WriteWholeFile(output, resource, error);
}
