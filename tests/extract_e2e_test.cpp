// Whole runs over generated archives: the console report, the files, their
// times, and the exit status.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>

#include "e2e_support.h"

using namespace archive_writer;
using e2e::Report;
using e2e::RunVarnox;
using test_support::IsDirectory;
using test_support::PathExists;
using test_support::ReadFileBytes;
using test_support::TempDir;
using test_support::ToBytes;

using Extract = e2e::ArchiveTest;

TEST_F(Extract, ArchiveWithoutEntriesPrintsOnlyTheTotal) {
  EXPECT_EQ(Run(NewArchiveBuilder()).out, Report({}, "0 files 0 bytes"));
  // An index of the header area alone holds no block at all.
  e2e::ProgramRun run = Run(NewIndex(0), DataImage{});
  EXPECT_EQ(run.out, Report({}, "0 files 0 bytes"));
  EXPECT_EQ(run.status, 0);
}

TEST_F(Extract, ArchiveFilesThatCannotBeRead) {
  e2e::ProgramRun run = RunVarnox({dir_ / "missing.idx", out_});
  EXPECT_EQ(run.out, "error : cann't open " + (dir_ / "missing.idx") + ".\n");
  EXPECT_EQ(run.status, 2);

  ASSERT_TRUE(WriteBytes(index_, ToBytes("ABCd and more")));
  run = RunVarnox({index_, out_});
  EXPECT_EQ(run.out, "Reading archive info...\nerror : " + index_ + " isn't VARNO idx file.\n");
  EXPECT_EQ(run.status, 2);

  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "a", ToBytes("a"));
  ASSERT_TRUE(WriteBytes(index_, archive.index.bytes));  // no data file
  run = RunVarnox({index_, out_});
  EXPECT_EQ(run.out, "Reading archive info...\nerror : cann't open " + (dir_ / "pack.dat") + ".\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_FALSE(PathExists(out_ + "/a"));
}

TEST_F(Extract, DataFilePathOver259BytesCannotBeOpened) {
  // The index path fits the system's limit; its data file path does not.
  std::string deep = dir_.path + "/" + std::string(200, 'd');
  ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
  std::string index = deep + "/" + std::string(258 - deep.size() - 1 - 2, 'p') + ".i";
  std::string data = index.substr(0, index.size() - 2) + ".dat";
  ASSERT_EQ(data.size(), 260u);
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "a", ToBytes("a"));
  ASSERT_TRUE(WriteArchive(archive, index));
  e2e::ProgramRun run = RunVarnox({index, out_});
  EXPECT_EQ(run.out, "Reading archive info...\nerror : cann't open " + data + ".\n");
  EXPECT_EQ(run.status, 2);
}

TEST_F(Extract, EveryFileWithItsSizeAndTheTotal) {
  ArchiveBuilder archive = NewArchiveBuilder();
  Bytes big = test_support::RandomBytes(1234567, 1);
  AddFile(archive, "empty", {});
  AddFile(archive, "dir\\big.bin", big);
  AddFile(archive, "dir/deeper\\mixed/sep.txt", ToBytes("mixed"));
  e2e::ProgramRun run = Run(archive);
  EXPECT_EQ(run.out, Report({"empty 0 bytes", "dir\\big.bin 1,234,567 bytes", "dir/deeper\\mixed/sep.txt 5 bytes"},
                            "3 files 1,234,572 bytes"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(Output("empty"), Bytes{});
  EXPECT_TRUE(PathExists(out_ + "/empty"));
  EXPECT_EQ(Output("dir/big.bin"), big);
  EXPECT_EQ(Output("dir/deeper/mixed/sep.txt"), ToBytes("mixed"));
}

TEST_F(Extract, LaterDuplicateReplacesEarlierAndBothCount) {
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "same.txt", ToBytes("first version"));
  AddFile(archive, "same.txt", ToBytes("second"));
  e2e::ProgramRun run = Run(archive);
  EXPECT_EQ(run.out, Report({"same.txt 13 bytes", "same.txt 6 bytes"}, "2 files 19 bytes"));
  EXPECT_EQ(Output("same.txt"), ToBytes("second"));
}

TEST_F(Extract, NameEndingWithSeparatorMakesDirectoriesButNoFile) {
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "dir\\sub\\", ToBytes("lost"));
  AddFile(archive, "after", ToBytes("ok"));
  e2e::ProgramRun run = Run(archive);
  EXPECT_EQ(run.out, Report({"dir\\sub\\", "after 2 bytes"}, "2 files 2 bytes"));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(IsDirectory(out_ + "/dir/sub"));
}

TEST_F(Extract, LinksWithTheTopBitSetReachTheSegmentOfTheirLowBits) {
  IndexImage index = NewIndex(0);
  DataImage data;
  PutLocator(index, 0, 0, 0);
  Bytes content = ToBytes("top bit");
  Bytes item = StoredItem(7, {}, ZlibStream(content));
  PutLocator(index, 1, static_cast<uint32_t>(item.size()), AppendItem(data, item));
  PutNameSegment(index, 0, CHAIN_END, "unused0");
  PutNameSegment(index, 1, CHAIN_END, "unused1");
  const std::string dir = std::string(59, 'd') + "\\";  // a full segment runs on into the next
  PutNameSegment(index, 2, 0x80000003, dir);  // top bit set, low bits 3
  PutNameSegment(index, 3, CHAIN_END, "file.txt");
  PutEntry(index, 0, Entry(1, 0x80000002));
  e2e::ProgramRun run = Run(index, data);
  EXPECT_EQ(run.out, Report({dir + "file.txt 7 bytes"}, "1 files 7 bytes"));
  EXPECT_EQ(Output(std::string(59, 'd') + "/file.txt"), content);
}

TEST_F(Extract, NameOf240Bytes) {
  // A short output directory beside the program keeps the path within 259.
  TempDir bin;
  std::string program = e2e::CopyVarnoxTo(bin.path);
  std::string name = std::string(100, 'a') + "\\" + std::string(139, 'b');
  ASSERT_EQ(name.size(), 240u);
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, name, ToBytes("long"));
  ASSERT_TRUE(WriteArchive(archive, bin / "p.idx"));
  e2e::ProgramRun run = RunVarnox({"p.idx", "o"}, {.binary = program});
  EXPECT_EQ(run.out, Report({name + " 4 bytes"}, "1 files 4 bytes"));
  EXPECT_EQ(ReadFileBytes(bin / ("o/" + std::string(100, 'a') + "/" + std::string(139, 'b'))), ToBytes("long"));
}

TEST_F(Extract, SizeShownIsWhatTheStreamProduced) {
  ArchiveBuilder archive = NewArchiveBuilder();
  AddRawItem(archive, "short.txt", StoredItem(1000, {}, ZlibStream(ToBytes("ten bytes!"))));
  e2e::ProgramRun run = Run(archive);
  EXPECT_EQ(run.out, Report({"short.txt 10 bytes"}, "1 files 10 bytes"));
  EXPECT_EQ(Output("short.txt"), ToBytes("ten bytes!"));
}

TEST_F(Extract, EntriesRunInIndexOrderWhateverTheDataOrder) {
  IndexImage index = NewIndex(0);
  DataImage data;
  PutLocator(index, 0, 0, 0);
  const char* names[] = {"one", "two", "three"};
  // Items go into the data file last entry first.
  for (int i = 2; i >= 0; --i) {
    Bytes item = StoredItem(10, {}, ZlibStream(ToBytes(names[i])));
    PutLocator(index, static_cast<uint32_t>(i + 1), static_cast<uint32_t>(item.size()), AppendItem(data, item));
    PutNameSegment(index, static_cast<uint32_t>(i), CHAIN_END, names[i]);
    PutEntry(index, static_cast<uint32_t>(i), Entry(static_cast<uint32_t>(i + 1), static_cast<uint32_t>(i)));
  }
  e2e::ProgramRun run = Run(index, data);
  EXPECT_EQ(run.out, Report({"one 3 bytes", "two 3 bytes", "three 5 bytes"}, "3 files 11 bytes"));
  EXPECT_EQ(Output("three"), ToBytes("three"));
}

TEST_F(Extract, FailedItemsAreSkippedAndTheRunGoesOn) {
  ArchiveBuilder archive = NewArchiveBuilder();
  Bytes stream = ZlibStream(ToBytes("content"));
  Bytes badCheck = stream;
  badCheck.back() ^= 0xFF;
  AddFile(archive, "good1", ToBytes("g1"));
  AddRawItem(archive, "bad-check", StoredItem(7, {}, badCheck));
  AddRawItem(archive, "too-big", StoredItem(6, {}, stream));
  AddRawItem(archive, "size-0-one-byte", StoredItem(0, {}, ZlibStream(ToBytes("x"))));
  AddRawItem(archive, "raw-deflate", StoredItem(7, {}, test_support::DeflateStream(ToBytes("content"), -15)));
  AddEntry(archive, AddLocator(archive, 31, 0), AddName(archive, "short-locator"));
  AddFile(archive, "good2", ToBytes("g2!"));
  // Last: an item running past the end of the data file.
  AddEntry(archive, AddLocator(archive, 4096, static_cast<uint32_t>(archive.data.bytes.size() / 512)),
           AddName(archive, "past-end"));
  e2e::ProgramRun run = Run(archive);
  EXPECT_EQ(run.out, Report({"good1 2 bytes", "bad-check", "too-big", "size-0-one-byte", "raw-deflate", "short-locator",
                             "good2 3 bytes", "past-end"},
                            "8 files 5 bytes"));
  EXPECT_EQ(run.status, 1);
  for (const char* skipped : {"bad-check", "too-big", "size-0-one-byte", "raw-deflate", "short-locator", "past-end"}) {
    EXPECT_FALSE(PathExists(out_ + "/" + skipped)) << skipped;
  }
  EXPECT_EQ(Output("good2"), ToBytes("g2!"));
}

TEST_F(Extract, FilesGetTheirStoredTimesToTheHundredNanoseconds) {
  using e2e::FileTime;
  const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::system_clock::now().time_since_epoch()).count();
  struct Case {
    const char* name;
    FileTimes times;
    int64_t access;  // expected, ns since 1970; -1: left as the system set it
    int64_t modify;
    // Windows refuses a time with its top bit set, and with it the whole
    // SetFileTime call: every time of the file stays as the system set it.
    bool windowsLeavesAll = false;
  };
  const Case cases[] = {
      {"precise", {FileTime(1, 0), FileTime(1600000000, 123456700), FileTime(1700000000, 987654300)},
       1600000000123456700, 1700000000987654300},
      {"before-1970", {0, FileTime(-86400, 100), FileTime(-1, 999999900)}, -86400 * 1000000000LL + 100,
       -100},
      {"zero-left-alone", {0, 0, FileTime(1500000000)}, -1, 1500000000000000000},
      {"top-bit-left-alone", {0, FileTime(1500000000), 0x8000000000000000}, 1500000000000000000, -1, true},
  };
  ArchiveBuilder archive = NewArchiveBuilder();
  for (const Case& c : cases) AddFile(archive, c.name, ToBytes("t"), c.times);
  ASSERT_EQ(Run(archive).status, 0);
  for (const Case& c : cases) {
    e2e::Times got = e2e::FileTimesOf(out_ + "/" + c.name);
    auto check = [&](int64_t expected, int64_t actual, const char* which) {
      if (expected >= 0 || expected < -1) {
        EXPECT_EQ(actual, expected) << c.name << " " << which;
      } else {
        EXPECT_LT(std::llabs(actual - now), 600LL * 1000000000) << c.name << " " << which << " stays recent";
      }
    };
    bool leftAlone = c.windowsLeavesAll && e2e::TargetIsWindows();
    check(leftAlone ? -1 : c.access, got.access, "access");
    check(leftAlone ? -1 : c.modify, got.modify, "modify");
  }
}

TEST_F(Extract, NestedNamesWithBothSeparatorsGetTheirFilesAndTimes) {
  struct Item {
    std::string name;  // as archived
    std::string path;  // below the output directory
    int64_t access;    // ns since 1970, to the 100 ns
    int64_t modify;
  };
  const Item items[] = {
      {"top.txt", "top.txt", 1600000000000000100, 1500000000000000200},
      {"a\\b\\c\\deep.txt", "a/b/c/deep.txt", 1600000001123456700, 1500000001000000000},
      {"a/b/c/deeper/leaf.bin", "a/b/c/deeper/leaf.bin", 1600000002000000300, 1500000002999999900},
      {"a\\b/mixed\\one.txt", "a/b/mixed/one.txt", 1600000003000000400, 1500000003000000500},
      {"a/b\\mixed/two.txt", "a/b/mixed/two.txt", 1600000004000000600, 1500000004000000700},
      {"x\\y/z\\w/v\\five.txt", "x/y/z/w/v/five.txt", 1600000005000000800, 1500000005000000900},
  };
  ArchiveBuilder archive = NewArchiveBuilder();
  std::vector<std::string> lines;
  uint64_t total = 0;
  for (const Item& item : items) {
    FileTimes times{e2e::FileTime(1400000000), archive_writer::FileTimeFromUnixNanoseconds(item.access),
                    archive_writer::FileTimeFromUnixNanoseconds(item.modify)};
    AddFile(archive, item.name, ToBytes(item.path), times);
    lines.push_back(item.name + " " + std::to_string(item.path.size()) + " bytes");
    total += item.path.size();
  }
  e2e::ProgramRun run = Run(archive);
  EXPECT_EQ(run.out, Report(lines, "6 files " + std::to_string(total) + " bytes"));
  EXPECT_EQ(run.status, 0);
  for (const Item& item : items) {
    e2e::Times got = e2e::FileTimesOf(out_ + "/" + item.path);
    EXPECT_EQ(got.access, item.access) << item.name;
    EXPECT_EQ(got.modify, item.modify) << item.name;
    EXPECT_EQ(Output(item.path), ToBytes(item.path)) << item.name;
  }
  std::vector<std::string> directories;
  for (const std::string& row : test_support::Snapshot(out_)) {
    if (row.size() > 2 && row.compare(row.size() - 2, 2, " d") == 0) directories.push_back(row);
  }
  EXPECT_EQ(directories, (std::vector<std::string>{"a d", "a/b d", "a/b/c d", "a/b/c/deeper d", "a/b/mixed d", "x d",
                                                   "x/y d", "x/y/z d", "x/y/z/w d", "x/y/z/w/v d"}));
}

TEST_F(Extract, FullDiskLosesOnlyTheFileThatDidNotFit) {
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "small1", ToBytes("s1"));
  AddFile(archive, "large.bin", Bytes(256 * 1024, 'L'));
  AddFile(archive, "small2", ToBytes("s2"));
  ASSERT_TRUE(WriteArchive(archive, index_));
  e2e::ProgramRun run = RunVarnox({index_, out_}, {.fileSizeLimit = 64 * 1024});
  EXPECT_EQ(run.out, Report({"small1 2 bytes", "large.bin", "small2 2 bytes"}, "3 files 4 bytes"));
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(PathExists(out_ + "/large.bin")) << "no partial file is left";
  EXPECT_EQ(Output("small2"), ToBytes("s2"));
}
