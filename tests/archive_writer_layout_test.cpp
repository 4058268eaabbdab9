// The archive writer checked byte by byte against the format's layout, so
// that a mistake shared by the writer and the reader cannot go unseen.
#include <gtest/gtest.h>

#include "archive_writer.h"

using namespace archive_writer;

namespace {

uint32_t WordAt(const Bytes& bytes, uint64_t offset) {
  return uint32_t{bytes[offset]} | uint32_t{bytes[offset + 1]} << 8 | uint32_t{bytes[offset + 2]} << 16 |
         uint32_t{bytes[offset + 3]} << 24;
}

uint64_t QuadAt(const Bytes& bytes, uint64_t offset) {
  return uint64_t{WordAt(bytes, offset)} | uint64_t{WordAt(bytes, offset + 4)} << 32;
}

}  // namespace

TEST(ArchiveWriterLayout, IndexBeginsWithMarkAndHasWholeBlocks) {
  IndexImage index = NewIndex(2);
  ASSERT_EQ(index.bytes.size(), 0x1000u + 2 * 0x11000u);
  EXPECT_EQ(index.bytes[0], 0x41);
  EXPECT_EQ(index.bytes[1], 0x42);
  EXPECT_EQ(index.bytes[2], 0x43);
  EXPECT_EQ(index.bytes[3], 0x44);
}

TEST(ArchiveWriterLayout, EntrySlot819StraddlesBlocksZeroAndOne) {
  IndexImage index = NewIndex(0);
  PutEntry(index, 819, {0x04030201, 0x08070605, 0x0C0B0A09, 0x100F0E0D, 0x14131211});
  ASSERT_EQ(index.bytes.size(), 0x1000u + 2 * 0x11000u);
  // First 4 bytes close block 0's entry piece, the other 16 open block 1's.
  for (uint8_t i = 0; i < 4; ++i) EXPECT_EQ(index.bytes[0x4FFC + i], i + 1) << int{i};
  for (uint8_t i = 0; i < 16; ++i) EXPECT_EQ(index.bytes[0x12000 + i], i + 5) << int{i};
  EXPECT_EQ(index.bytes[0x4FFB], 0);
  EXPECT_EQ(index.bytes[0x12010], 0);
}

TEST(ArchiveWriterLayout, EntrySlot4096StartsBlockFiveEntryPiece) {
  IndexImage index = NewIndex(0);
  PutEntry(index, 4096, {0xAABBCCDD, 0, 0x80000000, 0, 0});
  ASSERT_EQ(BlockCount(index), 6u);
  EXPECT_EQ(WordAt(index.bytes, 0x1000 + 5 * 0x11000), 0xAABBCCDDu);
  EXPECT_EQ(WordAt(index.bytes, 0x1000 + 5 * 0x11000 + 8), 0x80000000u);
}

TEST(ArchiveWriterLayout, NameAndLocatorSlotsSitInTheirTables) {
  IndexImage index = NewIndex(0);
  PutNameSegment(index, 513, 0x80000000, "abc");
  PutLocator(index, 257, 0x1234, 0x56, 7, 9);
  uint64_t block1 = 0x12000;
  EXPECT_EQ(WordAt(index.bytes, block1 + 0x4000 + 64), 0x80000000u);
  EXPECT_EQ(index.bytes[block1 + 0x4000 + 64 + 4], 'a');
  EXPECT_EQ(index.bytes[block1 + 0x4000 + 64 + 7], 0);
  EXPECT_EQ(WordAt(index.bytes, block1 + 0xC000 + 16), 7u);
  EXPECT_EQ(WordAt(index.bytes, block1 + 0xC000 + 20), 0x1234u);
  EXPECT_EQ(WordAt(index.bytes, block1 + 0xC000 + 24), 0x56u);
  EXPECT_EQ(WordAt(index.bytes, block1 + 0xC000 + 28), 9u);
}

TEST(ArchiveWriterLayout, AddFileWritesNameChainLocatorAndItemHeader) {
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "first", Bytes{'x'}, {});
  std::string longName(70, 'n');
  Bytes content(1000, 'q');
  FileTimes times{0x0102030405060708, 0x1112131415161718, 0x2122232425262728};
  AddFile(archive, longName, content, times);

  const Bytes& idx = archive.index.bytes;
  // Entry 1: locator position 2 (slot 0 holds the placeholder), name link 1.
  EXPECT_EQ(WordAt(idx, 0x1000 + 20), 2u);
  EXPECT_EQ(WordAt(idx, 0x1000 + 28), 1u);
  // Its 70-byte name: segment 1 links to 2, which ends the chain.
  EXPECT_EQ(WordAt(idx, 0x5000 + 64), 2u);
  EXPECT_EQ(WordAt(idx, 0x5000 + 128), 0x80000000u);
  EXPECT_EQ(idx[0x5000 + 128 + 4 + 9], 'n');
  EXPECT_EQ(idx[0x5000 + 128 + 4 + 10], 0);
  // Locator 2: stored length and a sector position past the first item.
  uint64_t locator = 0xD000 + 2 * 16;
  EXPECT_NE(WordAt(idx, locator), 0u);
  uint32_t storedLength = WordAt(idx, locator + 4);
  uint32_t sector = WordAt(idx, locator + 8);
  EXPECT_EQ(sector, 1u);
  const Bytes& dat = archive.data.bytes;
  ASSERT_EQ(dat.size(), uint64_t{sector} * 512 + storedLength);
  uint64_t item = uint64_t{sector} * 512;
  EXPECT_EQ(WordAt(dat, item + 4), 1000u);
  EXPECT_EQ(QuadAt(dat, item + 8), times.creation);
  EXPECT_EQ(QuadAt(dat, item + 16), times.lastAccess);
  EXPECT_EQ(QuadAt(dat, item + 24), times.lastWrite);
  EXPECT_EQ(dat[item + 32], 0x78);  // zlib header, deflate with a 32 KiB window
}

TEST(ArchiveWriterLayout, DataPathReplacesTheFileNameExtensionOnly) {
  EXPECT_EQ(DataPathFor("dir/pack.idx"), "dir/pack.dat");
  EXPECT_EQ(DataPathFor("pack.old/data"), "pack.old/data.dat");
  EXPECT_EQ(DataPathFor("pack"), "pack.dat");
}

TEST(ArchiveWriterLayout, FileTimesCountFrom1601InTicksOf100Nanoseconds) {
  EXPECT_EQ(FileTimeFromUnixNanoseconds(0), 116444736000000000u);
  EXPECT_EQ(FileTimeFromUnixNanoseconds(1'000'000'123), 116444736000000000u + 10'000'001);
  EXPECT_EQ(FileTimeFromUnixNanoseconds(-1), 116444736000000000u - 1);
}
