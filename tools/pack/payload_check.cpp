#include "tools/pack/payload_check.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "payload/archive_format.h"
#include "tools/pack/archive_writer.h"

namespace {

// Inflated bytes on demand, from a stream given whole.
class InflatedBytes {
 public:
  InflatedBytes(const unsigned char *stream, size_t size) {
    memset(&stream_, 0, sizeof stream_);
    ready_ = inflateInit(&stream_) == Z_OK;
    input_ = stream;
    inputLeft_ = size;
  }
  ~InflatedBytes() {
    if (ready_) inflateEnd(&stream_);
  }
  InflatedBytes(const InflatedBytes &) = delete;
  InflatedBytes &operator=(const InflatedBytes &) = delete;

  // Bytes delivered; fewer than count at the stream's end or on damage.
  size_t Read(void *buffer, size_t count) {
    size_t done = 0;
    while (ready_ && done < count && result_ == Z_OK) {
      if (stream_.avail_in == 0 && inputLeft_ > 0) {
        uInt piece = static_cast<uInt>(std::min<size_t>(inputLeft_, 1u << 30));
        stream_.next_in = const_cast<Bytef *>(input_);
        stream_.avail_in = piece;
        input_ += piece;
        inputLeft_ -= piece;
      }
      uInt room = static_cast<uInt>(std::min<size_t>(count - done, 1u << 30));
      stream_.next_out = static_cast<Bytef *>(buffer) + done;
      stream_.avail_out = room;
      result_ = inflate(&stream_, Z_NO_FLUSH);
      done += room - stream_.avail_out;
      if (result_ == Z_BUF_ERROR && stream_.avail_in == 0 && inputLeft_ > 0) result_ = Z_OK;
    }
    return done;
  }
  bool Skip(uint64_t count) {
    unsigned char scratch[65536];
    while (count > 0) {
      size_t piece = static_cast<size_t>(std::min<uint64_t>(count, sizeof scratch));
      if (Read(scratch, piece) != piece) return false;
      count -= piece;
    }
    return true;
  }
  int Result() const { return ready_ ? result_ : Z_MEM_ERROR; }
  const char *Message() const { return stream_.msg ? stream_.msg : zError(Result()); }
  size_t UnusedInput() const { return stream_.avail_in + inputLeft_; }

 private:
  z_stream stream_;
  bool ready_;
  int result_ = Z_OK;
  const unsigned char *input_;
  size_t inputLeft_;
};

uint32_t Little(const unsigned char *bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

std::string Damage(InflatedBytes &bytes, const std::string &where) {
  if (bytes.Result() == Z_STREAM_END) return "the archive ends " + where;
  if (bytes.Result() == Z_BUF_ERROR) return "the zlib stream is cut short " + where;
  return "the zlib stream is damaged " + where + " (" + bytes.Message() + ")";
}

void CheckEntries(InflatedBytes &bytes, PayloadReport &report) {
  uint64_t total = 0;
  for (uint32_t index = 0; index < report.fileCount; ++index) {
    std::string where = "in entry " + std::to_string(index + 1);
    unsigned char nameLength;
    unsigned char name[256];
    unsigned char size[4];
    if (bytes.Read(&nameLength, 1) != 1 || bytes.Read(name, nameLength) != nameLength ||
        bytes.Read(size, 4) != 4) {
      report.problems.push_back(Damage(bytes, where));
      return;
    }
    std::string text(reinterpret_cast<char *>(name), strnlen(reinterpret_cast<char *>(name), nameLength));
    ListedEntry entry{text, Little(size, 4)};
    if (nameLength == 0 || nameLength > kMaxEntryNameLength)
      report.problems.push_back("entry " + std::to_string(index + 1) + ": a name length of " +
                                std::to_string(nameLength) + " (1 to " + std::to_string(kMaxEntryNameLength) + ")");
    else if (text.size() != nameLength - 1u)
      report.problems.push_back("entry " + std::to_string(index + 1) + ": the name does not end in its only zero byte");
    else if (std::string problem = EntryNameProblem(text); !problem.empty())
      report.problems.push_back("entry \"" + text + "\": " + problem);
    if (entry.size > kMaxArchiveSize)
      report.problems.push_back("entry \"" + text + "\": a data size of 2^31 or more");
    report.entries.push_back(entry);
    total += EntryTotalSize(nameLength - 1u, entry.size);
    if (!bytes.Skip(entry.size)) {
      report.problems.push_back(Damage(bytes, "inside the data of \"" + text + "\""));
      return;
    }
  }
  if (total != report.totalSize)
    report.problems.push_back("the header's total size is " + std::to_string(report.totalSize) +
                              " but the entries come to " + std::to_string(total));
  unsigned char extra;
  if (bytes.Read(&extra, 1) != 0) {
    report.problems.push_back("bytes follow the last entry");
    return;
  }
  if (bytes.Result() != Z_STREAM_END)
    report.problems.push_back(Damage(bytes, "after the last entry"));
  else if (bytes.UnusedInput() > 0)
    report.problems.push_back(std::to_string(bytes.UnusedInput()) + " bytes follow the zlib stream");
}

}  // namespace

PayloadReport CheckPayload(const unsigned char *resource, size_t size) {
  PayloadReport report;
  if (size < kCompressedLengthSize) {
    report.problems.push_back("the resource is shorter than its 4-byte length");
    return report;
  }
  report.compressedLength = Little(resource, 4);
  size_t available = size - kCompressedLengthSize;
  if (report.compressedLength != available)
    report.problems.push_back("the compressed length says " + std::to_string(report.compressedLength) +
                              " bytes but " + std::to_string(available) + " follow it");
  size_t streamSize = std::min<size_t>(report.compressedLength, available);
  const unsigned char *stream = resource + kCompressedLengthSize;
  report.highestLevelHeader = streamSize >= 2 && stream[0] == 0x78 && stream[1] == 0xDA;

  InflatedBytes bytes(stream, streamSize);
  unsigned char header[kArchiveHeaderSize];
  if (bytes.Read(header, sizeof header) != sizeof header) {
    report.problems.push_back(Damage(bytes, "inside the archive header"));
    return report;
  }
  report.headerRead = true;
  report.fileCount = static_cast<uint16_t>(Little(header, 2));
  report.totalSize = Little(header + 2, 4);
  if (report.totalSize > kMaxArchiveSize) report.problems.push_back("a total size of 2^31 or more");
  CheckEntries(bytes, report);
  return report;
}
