// The archive inflated on a second thread while the files are written: at
// every point where either thread can fail, the run ends as the same run
// inflating inline does (files, records, messages, drawing, log, exit code),
// and leaves no thread running and no handle open. Built under
// ThreadSanitizer by its own preset, which finds any race between the two.
#include <windows.h>
#include <zlib.h>

#include <functional>

#include "core/installation.h"
#include "core/messages.h"
#include "payload/inflate_ahead.h"
#include "payload/payload_reader.h"
#include "support/installer_fixture.h"
#include "support/payload_builder.h"
#include "win32sim/testapi.h"

namespace {

const char kLog[] = "C:\\logs\\run.log";
// A thread and its four events.
const int kObjectsOfAThread = 5;

// Bytes no compressor shortens, the same every run.
std::string Noise(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (char &byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<char>(seed >> 23);
  }
  return bytes;
}

// Small: the whole archive fits one slot of the ring. Large: more than twice
// the whole ring, so the inflating thread waits on a full ring.
std::vector<ArchiveEntry> Entries(bool large) {
  size_t size = large ? 120 * 1024 : 700;
  return {{"main.exe", Noise(size, 1)}, {"a.bin", Noise(size + 1, 2)}, {"DEFSCR!SCRIPTS", Noise(size + 2, 3)},
          {"b.bin", Noise(size + 3, 4)}, {"c.bin", Noise(size + 4, 5)}};
}

// zlib streams of the archive's first `cut` bytes ending where deflate has
// flushed them whole: cut short, or followed by a block of the reserved
// type, which inflate refuses as damaged.
std::string StreamCutAt(const std::string &archive, size_t cut, bool damaged) {
  z_stream stream{};
  deflateInit(&stream, 9);
  std::string out(deflateBound(&stream, cut) + 16, '\0');
  stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(archive.data()));
  stream.avail_in = static_cast<uInt>(cut);
  stream.next_out = reinterpret_cast<Bytef *>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FULL_FLUSH);
  out.resize(out.size() - stream.avail_out);
  deflateEnd(&stream);
  if (damaged) out += '\x07';  // last block, type 3
  return out;
}

// Where the run is made to fail, and which message says so.
struct FailurePoint {
  const char *label;
  const char *message;  // key; nullptr for a complete installation
  bool threadStarts;    // false where its thread or events are refused
  std::function<void(const std::vector<ArchiveEntry> &)> arrange;
};

// Offset of the data of entry `index` in the archive.
size_t DataOffset(const std::vector<ArchiveEntry> &entries, size_t index) {
  size_t offset = 6;
  for (size_t i = 0;; ++i) {
    offset += 1 + entries[i].name.size() + 1 + 4;
    if (i == index) return offset;
    offset += entries[i].data.size();
  }
}

void InstallCut(const std::vector<ArchiveEntry> &entries, size_t cut, bool damaged) {
  InstallPayload(PayloadResourceAround(StreamCutAt(BuildArchiveBytes(entries), cut, damaged)));
}

std::vector<FailurePoint> FailurePoints() {
  return {
      {"complete", nullptr, true, [](const std::vector<ArchiveEntry> &) {}},
      {"stream damaged in the first entry's header", "corData", true,
       [](const std::vector<ArchiveEntry> &e) { InstallCut(e, 8, true); }},
      {"stream damaged in the last file", "corData", true,
       [](const std::vector<ArchiveEntry> &e) { InstallCut(e, DataOffset(e, 4) + 100, true); }},
      {"stream cut short in the second file", "corData", true,
       [](const std::vector<ArchiveEntry> &e) { InstallCut(e, DataOffset(e, 1) + 500, false); }},
      {"a hostile name in the third entry", "corData", true,
       [](const std::vector<ArchiveEntry> &e) {
         std::string archive = BuildArchiveBytes({e[0], e[1]}, {5, {}});
         archive += RawEntryBytes(3, std::string("..\0", 3), 1, "x");
         archive += BuildArchiveBytes({e[3], e[4]}).substr(6);
         InstallPayload(BuildPayloadResourceFromArchive(archive));
       }},
      {"the first file cannot be made", "errDest", true,
       [](const std::vector<ArchiveEntry> &) { sim::FailFileCreation("C:\\MLUME\\main.exe"); }},
      {"the last file cannot be made", "errDest", true,
       [](const std::vector<ArchiveEntry> &) { sim::FailFileCreation("C:\\MLUME\\c.bin"); }},
      {"the disk fills in the third file", "errDest2", true,
       [](const std::vector<ArchiveEntry> &e) {
         // Plenty reported, little taken: FillDiskDuringCopy's disk.
         sim::SetDiskSpace(static_cast<long long>(e[0].data.size() + e[1].data.size() + 300));
         sim::SetDiskReport({1LL << 30});
       }},
      {"the stop event cannot be made", nullptr, false,
       [](const std::vector<ArchiveEntry> &) { sim::FailSyncObjects(0, 1); }},
      {"the end's event cannot be made", nullptr, false,
       [](const std::vector<ArchiveEntry> &) { sim::FailSyncObjects(1, 1); }},
      {"the filled slot's event cannot be made", nullptr, false,
       [](const std::vector<ArchiveEntry> &) { sim::FailSyncObjects(3, 1); }},
      {"the thread cannot be made", nullptr, false,
       [](const std::vector<ArchiveEntry> &) { sim::FailSyncObjects(4, 1); }},
  };
}

// All a run shows of itself.
struct Outcome {
  int exitCode;
  std::vector<std::string> events;
  std::vector<std::string> messages;
  std::vector<std::string> drawn;
  std::string machine;
  int liveBlocks;  // the option strings stay to the end
};

class InflateAheadTest : public InstallerTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    CreateDirectoryA("C:\\logs", nullptr);
    InstallPayload(BuildPayloadResource(Entries(GetParam())));
    WriteOptionsFile("sSilent=1\n");
  }

  static Outcome Run() {
    Outcome outcome;
    outcome.exitCode = RunWinMain(std::string("-log=") + kLog);
    outcome.events = sim::Events();
    outcome.messages = MessageTexts();
    for (const sim::DrawCall &call : sim::DrawCalls())
      if (call.kind == sim::DrawKind::Text) outcome.drawn.push_back(call.text);
    for (const std::string &file : sim::ListFiles()) outcome.machine += file + " = " + sim::ReadFile(file) + "\n";
    for (const std::string &folder : sim::ListDirectories()) outcome.machine += folder + "\\\n";
    outcome.machine += sim::DumpRegistry();
    outcome.liveBlocks = sim::LiveBlocks();
    return outcome;
  }

  // The same run inflating inline: no thread or event to be had.
  Outcome RunInline(const FailurePoint &point) {
    SetUp();
    point.arrange(Entries(GetParam()));
    sim::FailSyncObjects(0, 1000);
    return Run();
  }

  static void ExpectAlike(const Outcome &ahead, const Outcome &inlined) {
    EXPECT_EQ(ahead.exitCode, inlined.exitCode);
    EXPECT_EQ(ahead.events, inlined.events);
    EXPECT_EQ(ahead.messages, inlined.messages);
    EXPECT_EQ(ahead.drawn, inlined.drawn);
    EXPECT_EQ(ahead.machine, inlined.machine);
    EXPECT_EQ(ahead.liveBlocks, inlined.liveBlocks);
  }
};

TEST_P(InflateAheadTest, EveryFailurePointEndsAsInlineWithNothingLeftRunning) {
  for (const FailurePoint &point : FailurePoints()) {
    SCOPED_TRACE(point.label);
    SetUp();
    point.arrange(Entries(GetParam()));
    Outcome ahead = Run();
    // The point is reached in earnest: its message, and the thread where it can be had.
    if (point.message) {
      EXPECT_EQ(ahead.exitCode, kExitFailed);
      ASSERT_EQ(ahead.messages.size(), 1u);
      EXPECT_EQ(ahead.messages[0].rfind(std::string(GetMessageText(point.message)).substr(0, 20), 0), 0u)
          << ahead.messages[0];
    } else {
      EXPECT_EQ(ahead.exitCode, kExitCompleted);
      EXPECT_TRUE(ahead.messages.empty());
    }
    if (point.threadStarts) {
      EXPECT_EQ(sim::SyncObjectCreations(), kObjectsOfAThread);
    }
    EXPECT_EQ(sim::RunningThreads(), 0);
    EXPECT_EQ(sim::OpenFileHandles(), 0);
    ExpectAlike(ahead, RunInline(point));
  }
}

TEST_P(InflateAheadTest, EachFailedAllocationEndsAsInline) {
  for (int site = 0;; ++site) {
    SCOPED_TRACE("allocation " + std::to_string(site));
    SetUp();
    sim::FailAllocations(site, 1);
    Outcome ahead = Run();
    if (sim::AllocationCalls() <= site) break;
    EXPECT_EQ(sim::RunningThreads(), 0);
    EXPECT_EQ(sim::OpenFileHandles(), 0);
    SetUp();
    sim::FailAllocations(site, 1);
    sim::FailSyncObjects(0, 1000);
    ExpectAlike(ahead, Run());
  }
}

// The reader's own answers: the same bytes in reads of any size across the
// slots, the same short read at the end, nothing after a stop, and a close
// that ends a thread still at work.
TEST_P(InflateAheadTest, ReadsTheSameBytesAsInline) {
  const std::vector<DWORD> sizes = {1, 7, 2048, 40000, 33, 65536, 3};
  std::string inlined, ahead;
  for (bool fromAhead : {false, true}) {
    SetUp();
    ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);
    if (fromAhead) {
      ASSERT_TRUE(StartInflatingAhead());
    }
    std::string &read = fromAhead ? ahead : inlined;
    std::vector<char> buffer(65536);
    for (size_t i = 0;; ++i) {
      DWORD size = sizes[i % sizes.size()];
      LONG got = ReadPayload(buffer.data(), size);
      read.append(buffer.data(), static_cast<size_t>(got));
      if (got < static_cast<LONG>(size)) break;
    }
    EXPECT_EQ(ReadPayload(buffer.data(), 10), 0);
    EXPECT_EQ(g_payloadDelivered, static_cast<LONG>(read.size()));
    ClosePayload();
    EXPECT_EQ(sim::RunningThreads(), 0);
    EXPECT_EQ(sim::OpenFileHandles(), 0);
  }
  EXPECT_EQ(ahead, inlined);
  EXPECT_EQ(ahead, BuildArchiveBytes(Entries(GetParam())).substr(6));

  SetUp();
  ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);
  ASSERT_TRUE(StartInflatingAhead());
  char some[100];
  EXPECT_EQ(ReadPayload(some, sizeof some), static_cast<LONG>(sizeof some));
  StopInflatingAhead();
  EXPECT_EQ(ReadPayload(some, sizeof some), 0);
  EXPECT_EQ(sim::RunningThreads(), 0);
  ASSERT_TRUE(StartInflatingAhead());
  ClosePayload();
  EXPECT_EQ(sim::RunningThreads(), 0);
  EXPECT_EQ(sim::OpenFileHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Payloads, InflateAheadTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) { return info.param ? "Large" : "Small"; });

}  // namespace
