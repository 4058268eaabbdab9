#include <gtest/gtest.h>

#include <cstring>

#include "index/load_index.h"
#include "platform/platform.h"
#include "test_support.h"

using namespace archive_writer;
using test_support::TempDir;

namespace {

struct Loaded {
  LoadResult result;
  std::string output;
  ArchiveTables tables;
};

// Loads the image from a file and keeps the tables for inspection.
struct IndexLoad : Loaded {
  ~IndexLoad() { ReleaseArchiveTables(tables); }
};

void Load(const std::string& path, IndexLoad& load) {
  testing::internal::CaptureStdout();
  load.result = LoadIndex(path.c_str(), load.tables);
  load.output = testing::internal::GetCapturedStdout();
}

void LoadImage(const TempDir& dir, const IndexImage& index, IndexLoad& load) {
  std::string path = dir / "pack.idx";
  ASSERT_TRUE(WriteBytes(path, index.bytes));
  Load(path, load);
}

std::vector<uint32_t> LocatorPositions(const ArchiveTables& tables) {
  std::vector<uint32_t> values;
  for (uint32_t i = 0; i < tables.entries.count; ++i) values.push_back(tables.entries.items[i].locatorPos);
  return values;
}

}  // namespace

TEST(LoadIndex, TakesOnlyWholeBlocks) {
  // 73,728 bytes hold one whole block; one byte less holds none.
  struct Case { uint64_t size; uint32_t entries; };
  for (Case c : {Case{0x12000 - 1, 0}, Case{0x12000, 1}, Case{0x12000 + 0x10FFF, 1}, Case{0x23000, 2}}) {
    TempDir dir;
    IndexImage index = NewIndex(0);
    PutEntry(index, 0, Entry(1));
    PutEntry(index, 820, Entry(2));  // in block 1
    PutNameSegment(index, 0, CHAIN_END, "a");
    PutLocator(index, 0, 40, 0);
    index.bytes.resize(c.size, 0);
    IndexLoad load;
    LoadImage(dir, index, load);
    EXPECT_EQ(load.result, LoadResult::Loaded) << c.size;
    EXPECT_EQ(load.output, "Reading archive info...\n");
    EXPECT_EQ(load.tables.entries.count, c.entries) << c.size;
    EXPECT_EQ(load.tables.names.count, c.entries > 0 ? 1u : 0u) << c.size;
  }
}

TEST(LoadIndex, Slot819IsIncompleteInOneBlockAndJoinedAcrossTwo) {
  IndexImage index = NewIndex(0);
  PutEntry(index, 818, Entry(818));
  PutEntry(index, 819, Entry(819, 7));
  PutEntry(index, 820, Entry(820));
  ASSERT_EQ(BlockCount(index), 2u);
  {
    TempDir dir;
    IndexLoad load;
    LoadImage(dir, index, load);
    EXPECT_EQ(LocatorPositions(load.tables), (std::vector<uint32_t>{818, 819, 820}));
    EXPECT_EQ(load.tables.entries.items[1].nameLink, 7u);
  }
  {
    TempDir dir;
    IndexImage oneBlock = index;
    oneBlock.bytes.resize(0x12000);
    IndexLoad load;
    LoadImage(dir, oneBlock, load);
    EXPECT_EQ(LocatorPositions(load.tables), (std::vector<uint32_t>{818}));
  }
}

TEST(LoadIndex, EntryStreamRealignsAfterFiveBlocks) {
  // Fill every slot of six blocks: 819+819+819+819+820 per five blocks,
  // then slot 4,096 opens block 5.
  IndexImage index = NewIndex(6);
  const uint32_t slots = (6 * 0x4000) / 20;
  for (uint32_t slot = 0; slot < slots; ++slot) PutEntry(index, slot, Entry(slot + 1));
  ASSERT_EQ(BlockCount(index), 6u);
  TempDir dir;
  IndexLoad load;
  LoadImage(dir, index, load);
  ASSERT_EQ(load.tables.entries.count, slots);
  for (uint32_t i = 0; i < slots; ++i) ASSERT_EQ(load.tables.entries.items[i].locatorPos, i + 1) << i;
  EXPECT_EQ(load.tables.entries.items[4096].locatorPos, 4097u);
}

TEST(LoadIndex, EmptySlotsAreLeftOutAndLaterRecordsMoveUp) {
  IndexImage index = NewIndex(0);
  PutEntry(index, 0, Entry(11));
  PutEntry(index, 1, {0, 5, 3, 5, 5});  // empty, though its other words are set
  PutEntry(index, 2, Entry(13));
  PutEntry(index, 900, Entry(14));  // block 1
  PutNameSegment(index, 0, 0, "ignored: empty slot");
  PutNameSegment(index, 1, CHAIN_END, "one");
  PutNameSegment(index, 600, CHAIN_END, "two");
  PutLocator(index, 0, 99, 99, /*slotMark=*/0);
  PutLocator(index, 1, 10, 20);
  PutLocator(index, 300, 30, 40);
  TempDir dir;
  IndexLoad load;
  LoadImage(dir, index, load);
  EXPECT_EQ(LocatorPositions(load.tables), (std::vector<uint32_t>{11, 13, 14}));
  ASSERT_EQ(load.tables.names.count, 2u);
  EXPECT_STREQ(load.tables.names.items[0].text, "one");
  EXPECT_STREQ(load.tables.names.items[1].text, "two");
  ASSERT_EQ(load.tables.locators.count, 2u);
  EXPECT_EQ(load.tables.locators.items[0].sectorPos, 20u);
  EXPECT_EQ(load.tables.locators.items[1].sectorPos, 40u);
}

TEST(LoadIndex, CopiesRecordsWholeUnreadFieldsIncluded) {
  IndexImage index = NewIndex(1);
  PutEntry(index, 0, {1, 0xA1A2A3A4, 0x80000005, 0xB1B2B3B4, 0xC1C2C3C4});
  std::string text(60, 'z');  // no terminator within the segment
  PutNameSegment(index, 0, 0xFFFFFFFF, text);
  PutLocator(index, 0, 0x11, 0x22, 0xDEADBEEF, 0x33);
  PutWord(index, 0x1000 + 0xD000, 0x77777777);  // unused tail of the block
  TempDir dir;
  IndexLoad load;
  LoadImage(dir, index, load);
  ASSERT_EQ(load.tables.entries.count, 1u);
  const FileEntry& e = load.tables.entries.items[0];
  EXPECT_EQ(e.unknown4, 0xA1A2A3A4u);
  EXPECT_EQ(e.nameLink, 0x80000005u);
  EXPECT_EQ(e.unknown12, 0xB1B2B3B4u);
  EXPECT_EQ(e.unknown16, 0xC1C2C3C4u);
  EXPECT_EQ(load.tables.names.items[0].nextLink, 0xFFFFFFFFu);
  EXPECT_EQ(std::string(load.tables.names.items[0].text, 60), text);
  const DataLocator& l = load.tables.locators.items[0];
  EXPECT_EQ(l.slotMark, 0xDEADBEEFu);
  EXPECT_EQ(l.storedLength, 0x11u);
  EXPECT_EQ(l.sectorPos, 0x22u);
  EXPECT_EQ(l.unknown12, 0x33u);
}

TEST(LoadIndex, ErrorLines) {
  TempDir dir;
  {
    IndexLoad load;
    Load(dir / "missing.idx", load);
    EXPECT_EQ(load.result, LoadResult::CantOpen);
    EXPECT_EQ(load.output, "error : cann't open " + (dir / "missing.idx") + ".\n");
  }
  for (std::string content : {std::string("ABC"), std::string(""), std::string("ABCE") + std::string(0x12000, '\0'),
                              std::string("abcd")}) {
    std::string path = dir / "bad.idx";
    ASSERT_TRUE(WriteBytes(path, Bytes(content.begin(), content.end())));
    IndexLoad load;
    Load(path, load);
    EXPECT_EQ(load.result, LoadResult::NotIndexFile);
    EXPECT_EQ(load.output, "Reading archive info...\nerror : " + path + " isn't VARNO idx file.\n");
  }
  {
    IndexLoad load;
    Load(dir.path, load);  // a directory is no file to open
    EXPECT_EQ(load.result, LoadResult::CantOpen);
  }
}

TEST(LoadIndex, FileThatShrankAfterMeasuringFailsWithReadError) {
  TempDir dir;
  std::string path = dir / "pack.idx";
  IndexImage index = NewIndex(1);
  PutEntry(index, 0, Entry(1));
  ASSERT_TRUE(WriteBytes(path, index.bytes));
  int fd = OpenFileForReading(path.c_str());
  ASSERT_GE(fd, 0);
  ArchiveTables tables;
  testing::internal::CaptureStdout();
  LoadResult result = LoadOpenIndex(fd, 0x1000 + 2 * 0x11000, path.c_str(), tables);
  std::string output = testing::internal::GetCapturedStdout();
  CloseFile(fd);
  ReleaseArchiveTables(tables);
  EXPECT_EQ(result, LoadResult::ReadFailed);
  EXPECT_EQ(output, "error : can't read " + path + ".\n");
}
