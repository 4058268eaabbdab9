#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "extract/stored_item.h"
#include "test_support.h"

using namespace archive_writer;
using test_support::Bytes;
using test_support::DeflateStream;
using test_support::TempDir;

namespace {

struct Unpacked {
  ItemOutcome outcome;
  Bytes bytes;  // the produced bytes on success
};

// Unpacks a stored item held in memory, as the run does after reading it.
Unpacked Unpack(const Bytes& item) {
  StreamDecoder* decoder = CreateStreamDecoder();
  unsigned char* output = nullptr;
  uint32_t produced = 0;
  ItemOutcome outcome = UnpackStoredItem(decoder, item.data(), static_cast<uint32_t>(item.size()), &output, &produced);
  Unpacked result{outcome, {}};
  if (outcome == ItemOutcome::Ok) result.bytes.assign(output, output + produced);
  std::free(output);
  FreeStreamDecoder(decoder);
  return result;
}

Bytes Item(uint32_t unpackedSize, const Bytes& stream) { return StoredItem(unpackedSize, {}, stream); }

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

TEST(UnpackStoredItem, OutcomesOfStreamsAndLimits) {
  const Bytes content = test_support::ToBytes(std::string(3000, 'a') + "varnox stored item content");
  const uint32_t n = static_cast<uint32_t>(content.size());
  const Bytes zlib = ZlibStream(content);
  Bytes wrongCheck = zlib;
  wrongCheck.back() ^= 0x01;
  const Bytes truncated(zlib.begin(), zlib.end() - 5);
  const Bytes oneByte = ZlibStream({'Z'});
  const Bytes twoBytes = ZlibStream({'Z', 'Z'});

  struct Case {
    const char* what;
    uint32_t unpackedSize;
    Bytes stream;
    ItemOutcome outcome;
    Bytes produced;
  };
  const Case cases[] = {
      {"fewer bytes than declared", n + 100, zlib, ItemOutcome::Ok, content},
      {"exactly the declared size", n, zlib, ItemOutcome::Ok, content},
      {"one byte more than declared", n - 1, zlib, ItemOutcome::Failed, {}},
      {"empty content, size 0", 0, ZlibStream({}), ItemOutcome::Ok, {}},
      {"empty content, size 10", 10, ZlibStream({}), ItemOutcome::Ok, {}},
      {"size 0, one-byte stream", 0, oneByte, ItemOutcome::Failed, {}},
      {"size 0, two-byte stream", 0, twoBytes, ItemOutcome::Failed, {}},
      {"size 1, one-byte stream", 1, oneByte, ItemOutcome::Ok, {'Z'}},
      {"trailing bytes after the check value", n, Concat(zlib, Bytes(77, 0xEE)), ItemOutcome::Ok, content},
      {"wrong Adler-32", n, wrongCheck, ItemOutcome::Failed, {}},
      {"truncated stream", n, truncated, ItemOutcome::Failed, {}},
      {"no stream at all", n, {}, ItemOutcome::Failed, {}},
      {"raw deflate", n, DeflateStream(content, -15), ItemOutcome::Failed, {}},
      {"gzip member", n, DeflateStream(content, 31), ItemOutcome::Failed, {}},
      {"preset dictionary", n, DeflateStream(content, 15, "varnox"), ItemOutcome::Failed, {}},
      {"garbage", n, Bytes(64, 0x5A), ItemOutcome::Failed, {}},
  };
  for (const Case& c : cases) {
    Unpacked result = Unpack(Item(c.unpackedSize, c.stream));
    EXPECT_EQ(result.outcome, c.outcome) << c.what;
    EXPECT_EQ(result.bytes, c.produced) << c.what;
  }
}

TEST(UnpackStoredItem, LargestDeclaredSizeDoesNotWrap) {
  // 0xFFFFFFFF + 256 must not wrap to a 255-byte buffer.
  Bytes content = test_support::RandomBytes(5000, 3);
  Unpacked result = Unpack(Item(0xFFFFFFFF, ZlibStream(content)));
  EXPECT_EQ(result.outcome, ItemOutcome::Ok);
  EXPECT_EQ(result.bytes, content);
}

TEST(UnpackStoredItem, HeaderWordZeroMayHoldAnything) {
  Bytes content = {'o', 'k'};
  Unpacked result = Unpack(StoredItem(2, {}, ZlibStream(content), 0xFFFFFFFF));
  EXPECT_EQ(result.outcome, ItemOutcome::Ok);
  EXPECT_EQ(result.bytes, content);
}

class ReadStoredItemTest : public testing::Test {
 protected:
  void TearDown() override {
    if (fd_ >= 0) CloseFile(fd_);
  }
  void OpenData(const DataImage& data) {
    std::string path = dir_ / "pack.dat";
    ASSERT_TRUE(WriteBytes(path, data.bytes));
    fd_ = OpenFileForReading(path.c_str());
    ASSERT_GE(fd_, 0);
  }
  // Reads through a locator; returns the outcome and the item bytes.
  ItemOutcome Read(uint32_t storedLength, uint32_t sectorPos, Bytes* bytes = nullptr) {
    DataLocator locator{1, storedLength, sectorPos, 0};
    unsigned char* item = nullptr;
    ItemOutcome outcome = ReadStoredItem(fd_, locator, &item);
    if (outcome == ItemOutcome::Ok && bytes != nullptr) bytes->assign(item, item + storedLength);
    std::free(item);
    return outcome;
  }
  TempDir dir_;
  int fd_ = -1;
};

TEST_F(ReadStoredItemTest, ReadsAtSectorPositions) {
  DataImage data;
  Bytes first = Item(1, ZlibStream({'1'}));
  Bytes second = Item(1, ZlibStream({'2'}));
  PutItem(data, 0, first);
  PutItem(data, 1, second);
  OpenData(data);
  Bytes got;
  EXPECT_EQ(Read(static_cast<uint32_t>(first.size()), 0, &got), ItemOutcome::Ok);
  EXPECT_EQ(got, first);
  EXPECT_EQ(Read(static_cast<uint32_t>(second.size()), 1, &got), ItemOutcome::Ok);
  EXPECT_EQ(got, second);
}

TEST_F(ReadStoredItemTest, TooShortOrPastTheEndFails) {
  DataImage data;
  Bytes item = Item(1, ZlibStream({'1'}));
  PutItem(data, 0, item);
  OpenData(data);
  uint32_t length = static_cast<uint32_t>(item.size());
  EXPECT_EQ(Read(length, 0), ItemOutcome::Ok);
  EXPECT_EQ(Read(31, 0), ItemOutcome::Failed) << "no room for the header";
  EXPECT_EQ(Read(0, 0), ItemOutcome::Failed);
  EXPECT_EQ(Read(length + 1, 0), ItemOutcome::Failed) << "data file ends inside the item";
  EXPECT_EQ(Read(length, 1), ItemOutcome::Failed) << "item past the end";
  EXPECT_EQ(Read(length, 0xFFFFFFFF), ItemOutcome::Failed);
}

TEST_F(ReadStoredItemTest, ReachesItemsPastFourGiB) {
  // A sparse data file with one item at sector 8,388,608 (byte 4 GiB),
  // where a 32-bit product would wrap to byte 0.
  std::string path = dir_ / "big.dat";
  Bytes decoy = Item(1, ZlibStream({'0'}));
  Bytes item = Item(1, ZlibStream({'4'}));
  int out = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(out, 0);
  ASSERT_EQ(pwrite(out, decoy.data(), decoy.size(), 0), static_cast<ssize_t>(decoy.size()));
  ASSERT_EQ(pwrite(out, item.data(), item.size(), 0x100000000), static_cast<ssize_t>(item.size()));
  close(out);
  fd_ = OpenFileForReading(path.c_str());
  ASSERT_GE(fd_, 0);
  Bytes got;
  EXPECT_EQ(Read(static_cast<uint32_t>(item.size()), 8388608, &got), ItemOutcome::Ok);
  EXPECT_EQ(got, item);
}
