// The payload reader against payloads made by the pack tool's writer and
// against crafted, damaged and missing ones.
#include <windows.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "payload/archive_format.h"
#include "payload/payload_reader.h"
#include "support/installer_fixture.h"
#include "support/payload_builder.h"
#include "win32sim/testapi.h"

namespace {

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char &byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

class PayloadReaderTest : public InstallerTest {
 protected:
  // Reads one entry as the extraction does; false on a short read.
  static bool ReadEntry(ArchiveEntry &entry) {
    unsigned char nameLength = 0;
    char name[256];
    DWORD size = 0;
    if (ReadPayload(&nameLength, 1) != 1 || ReadPayload(name, nameLength) != nameLength ||
        ReadPayload(&size, 4) != 4)
      return false;
    entry.name.assign(name, nameLength ? nameLength - 1 : 0);
    entry.data.assign(size, '\0');
    return size == 0 || ReadPayload(&entry.data[0], size) == static_cast<LONG>(size);
  }
  static std::vector<ArchiveEntry> ReadAllEntries() {
    std::vector<ArchiveEntry> entries;
    for (WORD i = 0; i < g_payloadFileCount; ++i) {
      ArchiveEntry entry;
      if (!ReadEntry(entry)) break;
      entries.push_back(entry);
    }
    return entries;
  }
  static void ExpectNothingHeld() {
    EXPECT_EQ(sim::LiveBlocks(), 0);
    EXPECT_EQ(sim::LoadedResources(), 0);
  }
  static PayloadOpenResult OpenStream(const std::string &stream) {
    InstallPayload(PayloadResourceAround(stream));
    return OpenPayload(nullptr);
  }
};

const std::vector<ArchiveEntry> kEntries = {
    {"lume32.exe", "MZ program"}, {"empty.txt", ""}, {"DEFSCR!SCRIPTS", "delay 5\r\n"}, {"big.dat", RandomBytes(70000, 1)}};

TEST_F(PayloadReaderTest, BuiltSampleHasTheMainProgramFirst) {
  ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);
  EXPECT_EQ(g_payloadFileCount, 7);
  std::vector<ArchiveEntry> entries = ReadAllEntries();
  ASSERT_EQ(entries.size(), 7u);
  EXPECT_EQ(entries[0].name, "lume32.exe");
  EXPECT_EQ(entries[0].data.substr(0, 2), "MZ");
  EXPECT_EQ(entries.back().name, "DEFSCR!SCRIPTS");
  ClosePayload();
  ExpectNothingHeld();
}

TEST_F(PayloadReaderTest, ExactPayloadReadsEveryEntryAndCountsDataSizeFields) {
  InstallPayload(BuildPayloadResource(kEntries));
  ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);
  EXPECT_EQ(g_payloadFileCount, 4);
  DWORD total = 0;
  for (const ArchiveEntry &entry : kEntries) total += static_cast<DWORD>(1 + entry.name.size() + 1 + entry.data.size());
  EXPECT_EQ(g_payloadTotalSize, total);
  EXPECT_EQ(g_payloadDelivered, 0);
  EXPECT_EQ(sim::LockedBlocks(), 1);  // the input window

  char none;
  EXPECT_EQ(ReadPayload(&none, 0), 0);
  EXPECT_EQ(g_payloadDelivered, 0);
  EXPECT_EQ(ReadAllEntries(), kEntries);
  EXPECT_EQ(g_payloadDelivered, static_cast<LONG>(total + 4 * kEntries.size()));

  char more[16];
  EXPECT_EQ(ReadPayload(more, sizeof more), 0);
  EXPECT_EQ(ReadPayload(more, sizeof more), 0);
  EXPECT_EQ(g_payloadDelivered, static_cast<LONG>(total + 4 * kEntries.size()));
  ClosePayload();
  ExpectNothingHeld();
  ClosePayload();  // a second close is harmless
  EXPECT_EQ(ReadPayload(more, sizeof more), 0);
}

TEST_F(PayloadReaderTest, ReadPastTheEndReturnsWhatIsLeft) {
  InstallPayload(BuildPayloadResourceFromArchive(BuildArchiveBytes({}, {0, 0}) + "tail", 6));
  ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);
  char buffer[100];
  EXPECT_EQ(ReadPayload(buffer, sizeof buffer), 4);
  EXPECT_EQ(std::string(buffer, 4), "tail");
  EXPECT_EQ(ReadPayload(buffer, sizeof buffer), 0);
  EXPECT_EQ(g_payloadDelivered, 4);
}

TEST_F(PayloadReaderTest, FileCountZeroStillReadsTheTotalSize) {
  InstallPayload(BuildPayloadResourceFromArchive(BuildArchiveBytes({}, {0, 123456})));
  ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);
  EXPECT_EQ(g_payloadFileCount, 0);
  EXPECT_EQ(g_payloadTotalSize, 123456u);
}

TEST_F(PayloadReaderTest, AnyCompressionLevelIsRead) {
  for (int level : {0, 1, 6, 9}) {
    InstallPayload(BuildPayloadResourceFromArchive(BuildArchive(kEntries), level));
    ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened) << level;
    EXPECT_EQ(ReadAllEntries(), kEntries) << level;
    ClosePayload();
  }
  ExpectNothingHeld();
}

TEST_F(PayloadReaderTest, ReadsAcrossWindowBoundariesMatchOneLargeRead) {
  // Stored blocks: the compressed data is a little larger than the archive,
  // so 200 kB of it crosses three 65,528-byte windows.
  std::string archive = BuildArchiveBytes({}, {0, 0}) + RandomBytes(200000, 2);
  std::string resource = BuildPayloadResourceFromArchive(archive, 0);
  ASSERT_GT(resource.size(), 3u * kInputWindowSize);
  InstallPayload(resource);

  ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);
  std::string whole(200000, '\0');
  ASSERT_EQ(ReadPayload(&whole[0], 200000), 200000);
  ClosePayload();
  EXPECT_EQ(whole, archive.substr(kArchiveHeaderSize));

  for (DWORD piece : {1u, 7u, 2048u, kInputWindowSize - 1, kInputWindowSize, kInputWindowSize + 1}) {
    ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);
    std::string pieces;
    std::string buffer(piece, '\0');
    LONG got;
    while ((got = ReadPayload(&buffer[0], piece)) > 0) pieces.append(buffer, 0, static_cast<size_t>(got));
    EXPECT_EQ(pieces, whole) << piece;
    EXPECT_EQ(g_payloadDelivered, 200000) << piece;
    ClosePayload();
  }
}

TEST_F(PayloadReaderTest, HeaderThatCannotBeReadIsCorrupt) {
  std::string stream = ZlibStream(BuildArchive(kEntries), 9);
  EXPECT_EQ(OpenStream(ZlibStream(std::string("\x02\x00\x10\x00", 4), 9)), kPayloadCorrupt);  // ends inside it
  ExpectNothingHeld();
  EXPECT_EQ(OpenStream(stream.substr(0, 3)), kPayloadCorrupt);  // stream cut short
  EXPECT_EQ(OpenStream(""), kPayloadCorrupt);
  std::string dictionary = stream, badCheck = stream;
  dictionary[1] = static_cast<char>(0xBB);  // FDICT set, header check still valid
  EXPECT_EQ(OpenStream(dictionary), kPayloadCorrupt);
  badCheck[1] = static_cast<char>(0xDB);
  EXPECT_EQ(OpenStream(badCheck), kPayloadCorrupt);
  EXPECT_EQ(OpenStream(RandomBytes(5000, 3)), kPayloadCorrupt);
  ExpectNothingHeld();
}

TEST_F(PayloadReaderTest, CompressedLengthMustMatchTheResource) {
  std::string stream = ZlibStream(BuildArchive(kEntries), 9);
  InstallPayload(PayloadResourceAround(stream, static_cast<uint32_t>(stream.size() + 1)));
  EXPECT_EQ(OpenPayload(nullptr), kPayloadCorrupt);
  InstallPayload(PayloadResourceAround(stream, 0xFFFFFFFFu));
  EXPECT_EQ(OpenPayload(nullptr), kPayloadCorrupt);
  InstallPayload(std::string("\x00\x00", 2));  // not even the length field
  EXPECT_EQ(OpenPayload(nullptr), kPayloadCorrupt);
  ExpectNothingHeld();
  // A shorter length is read as given: here it stops inside the header.
  InstallPayload(PayloadResourceAround(stream, 4));
  EXPECT_EQ(OpenPayload(nullptr), kPayloadCorrupt);
}

TEST_F(PayloadReaderTest, MissingResourceLockFailureAndNoMemory) {
  RemovePayload();
  EXPECT_EQ(OpenPayload(nullptr), kPayloadNotFound);
  ExpectNothingHeld();

  InstallPayload(BuildPayloadResource(kEntries));
  sim::FailResourceLock(true);
  EXPECT_EQ(OpenPayload(nullptr), kPayloadCorrupt);
  ExpectNothingHeld();
  sim::FailResourceLock(false);

  sim::FailAllocations(0, 1);
  EXPECT_EQ(OpenPayload(nullptr), kPayloadOutOfMemory);
  ExpectNothingHeld();
  EXPECT_EQ(ReadPayload(nullptr, 0), 0);
  ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);  // the next attempt is not hampered
  EXPECT_EQ(ReadAllEntries(), kEntries);
}

// A zlib stream of `bytes` cut off by a block of the invalid type 3.
std::string StreamWithInvalidBlockAfter(const std::string &bytes) {
  z_stream stream{};
  std::string out(compressBound(static_cast<uLong>(bytes.size())) + 16, '\0');
  EXPECT_EQ(deflateInit(&stream, 9), Z_OK);
  stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef *>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&stream, Z_FULL_FLUSH), Z_OK);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out + '\x07';  // final block, type 3
}

TEST_F(PayloadReaderTest, DamageInTheDataGivesAShortRead) {
  std::string archive = BuildArchive(kEntries);
  InstallPayload(PayloadResourceAround(StreamWithInvalidBlockAfter(archive.substr(0, archive.size() - 100))));
  ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);
  std::vector<ArchiveEntry> entries = ReadAllEntries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2], kEntries[2]);
  EXPECT_EQ(g_payloadDelivered, static_cast<LONG>(archive.size() - 100 - kArchiveHeaderSize));
  char buffer[64];
  EXPECT_EQ(ReadPayload(buffer, sizeof buffer), 0);  // stays stopped
  ClosePayload();
  ExpectNothingHeld();
}

TEST_F(PayloadReaderTest, TrailerMismatchIsNotSeenByAReadThatGotItsBytes) {
  std::string resource = BuildPayloadResource(kEntries);
  resource.back() ^= 0x01;  // the Adler-32 trailer
  InstallPayload(resource);
  ASSERT_EQ(OpenPayload(nullptr), kPayloadOpened);
  EXPECT_EQ(ReadAllEntries(), kEntries);
}

TEST_F(PayloadReaderTest, PackToolStreamStartsWith78DA) {
  std::string resource = BuildPayloadResource(kEntries);
  ASSERT_GT(resource.size(), 6u);
  EXPECT_EQ(static_cast<unsigned char>(resource[4]), 0x78);
  EXPECT_EQ(static_cast<unsigned char>(resource[5]), 0xDA);
  EXPECT_EQ(resource.size() - 4, static_cast<size_t>(static_cast<unsigned char>(resource[0]) |
                                                     static_cast<unsigned char>(resource[1]) << 8 |
                                                     static_cast<unsigned char>(resource[2]) << 16));
}

}  // namespace
