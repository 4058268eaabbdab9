// Faults of the disk and of memory while varnox runs, brought about with
// resource limits, cut files, blocked paths and permissions. A fault costs
// only the entry it hits: that entry's line shows its name alone, no part
// of its file is left, the byte total leaves it out and the run goes on;
// only lack of memory stops the run, with exit status 8.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "e2e_support.h"

using namespace archive_writer;
using e2e::Report;
using e2e::RunVarnox;
using test_support::Bytes;
using test_support::IsDirectory;
using test_support::PathExists;
using test_support::RandomBytes;
using test_support::ReadFileBytes;
using test_support::Snapshot;
using test_support::TempDir;
using test_support::ToBytes;

using Fault = e2e::ArchiveTest;

// Writes past RLIMIT_FSIZE fail with EFBIG (SIGXFSZ ignored). A file that
// reaches the limit exactly still fits; one byte more is a short write and
// then a failed one, and the partial file must go.
TEST_F(Fault, FileSizeLimitLosesExactlyTheFilesOverIt) {
  struct File {
    const char* name;
    size_t size;
    const char* line;  // when written
  };
  const File files[] = {{"empty", 0, "empty 0 bytes"},     {"one", 1, "one 1 bytes"},
                        {"under", 4095, "under 4,095 bytes"}, {"at", 4096, "at 4,096 bytes"},
                        {"over", 4097, ""},                   {"far-over", 100000, ""},
                        {"after", 3, "after 3 bytes"}};
  const char* totals[] = {"7 files 0 bytes", "7 files 8,195 bytes"};
  ArchiveBuilder archive = NewArchiveBuilder();
  for (const File& f : files) AddFile(archive, f.name, RandomBytes(f.size, static_cast<uint32_t>(f.size)));
  ASSERT_TRUE(WriteArchive(archive, index_));

  for (rlim_t limit : {rlim_t{0}, rlim_t{4096}}) {
    SCOPED_TRACE("RLIMIT_FSIZE " + std::to_string(limit));
    std::string out = out_ + std::to_string(limit);
    std::vector<std::string> lines;
    for (const File& f : files) lines.push_back(f.size <= limit ? f.line : f.name);
    e2e::ProgramRun run = RunVarnox({index_, out}, {.fileSizeLimit = limit});
    EXPECT_EQ(run.out, Report(lines, totals[limit == 0 ? 0 : 1]));
    EXPECT_EQ(run.status, 1);
    for (const File& f : files) {
      bool exists = false;
      Bytes content = ReadFileBytes(out + "/" + f.name, &exists);
      EXPECT_EQ(exists, f.size <= limit) << f.name << ": a file over the limit leaves nothing behind";
      if (exists) {
        EXPECT_EQ(content, RandomBytes(f.size, static_cast<uint32_t>(f.size))) << f.name;
      }
    }
  }
}

// The data file ends somewhere inside one item; the entries whose items lie
// wholly before the cut are still extracted, in index order.
TEST_F(Fault, DataFileCutInsideAnItemLosesThatEntryOnly) {
  const Bytes a = ToBytes("alpha"), c = ToBytes("gamma"), b = RandomBytes(20000, 7);
  const Bytes itemB = StoredItem(static_cast<uint32_t>(b.size()), {}, ZlibStream(b));
  const uint32_t streamLength = static_cast<uint32_t>(itemB.size()) - 32;
  struct Cut {
    const char* where;
    uint32_t keep;  // bytes of b's item left in the data file
  };
  const Cut cuts[] = {
      {"before the item", 0},
      {"inside the header", 16},
      {"right after the header", 32},
      {"in the middle of the stream", 32 + streamLength / 2},
      {"one byte before the end", static_cast<uint32_t>(itemB.size()) - 1},
  };
  for (const Cut& cut : cuts) {
    SCOPED_TRACE(cut.where);
    // Data order a, c, b: the cut in b spares c, which comes after b in the index.
    IndexImage index = NewIndex(0);
    DataImage data;
    PutLocator(index, 0, 0, 0);
    Bytes itemA = StoredItem(5, {}, ZlibStream(a)), itemC = StoredItem(5, {}, ZlibStream(c));
    PutLocator(index, 1, static_cast<uint32_t>(itemA.size()), AppendItem(data, itemA));
    PutLocator(index, 3, static_cast<uint32_t>(itemC.size()), AppendItem(data, itemC));
    uint32_t sectorB = AppendItem(data, itemB);
    PutLocator(index, 2, static_cast<uint32_t>(itemB.size()), sectorB);
    data.bytes.resize(uint64_t{sectorB} * SECTOR + cut.keep);
    PutNameSegment(index, 0, CHAIN_END, "a");
    PutNameSegment(index, 1, CHAIN_END, "dir\\b");
    PutNameSegment(index, 2, CHAIN_END, "c");
    for (uint32_t i = 0; i < 3; ++i) PutEntry(index, i, Entry(i + 1, i));
    ASSERT_TRUE(WriteArchive(index, data, index_));

    std::string out = dir_ / ("out-" + std::to_string(cut.keep));
    e2e::ProgramRun run = RunVarnox({index_, out});
    EXPECT_EQ(run.out, Report({"a 5 bytes", "dir\\b", "c 5 bytes"}, "3 files 10 bytes"));
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(PathExists(out + "/dir/b"));
    EXPECT_EQ(ReadFileBytes(out + "/c"), c);
  }
}

// Things already in the output directory stand in the way: a directory
// where a file goes, a file where a directory is needed. They stay as they
// were and the entries after them are extracted.
TEST_F(Fault, ExistingFilesAndDirectoriesBlockingOutputPaths) {
  ASSERT_EQ(mkdir(out_.c_str(), 0755), 0);
  ASSERT_EQ(mkdir((out_ + "/x.txt").c_str(), 0755), 0);
  ASSERT_TRUE(WriteBytes(out_ + "/x.txt/inside", ToBytes("inside")));
  ASSERT_TRUE(WriteBytes(out_ + "/sub", ToBytes("a file named sub")));
  ASSERT_TRUE(WriteBytes(out_ + "/deep", ToBytes("a file named deep")));
  const std::vector<std::string> blockers = Snapshot(out_);

  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "x.txt", ToBytes("directory in the way"));
  AddFile(archive, "sub\\y.txt", ToBytes("file in the way"));
  AddFile(archive, "deep\\er\\z.txt", ToBytes("file two levels up"));
  AddFile(archive, "ok.txt", ToBytes("ok"));
  e2e::ProgramRun run = Run(archive);
  EXPECT_EQ(run.out, Report({"x.txt", "sub\\y.txt", "deep\\er\\z.txt", "ok.txt 2 bytes"}, "4 files 2 bytes"));
  EXPECT_EQ(run.status, 1);
  std::vector<std::string> after = Snapshot(out_);
  std::erase_if(after, [](const std::string& row) { return row.rfind("ok.txt ", 0) == 0; });
  EXPECT_EQ(after, blockers) << "the blockers are left as they were";
  EXPECT_EQ(Output("ok.txt"), ToBytes("ok"));
}

TEST_F(Fault, OutputDirectoryThatCannotBeMade) {
  ASSERT_TRUE(WriteBytes(dir_ / "blocker", ToBytes("a file, not a directory")));
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "a.txt", ToBytes("a"));
  AddFile(archive, "sub\\b.txt", ToBytes("b"));
  ASSERT_TRUE(WriteArchive(archive, index_));
  const std::vector<std::string> before = Snapshot(dir_.path);
  e2e::ProgramRun run = RunVarnox({index_, dir_ / "blocker/out"});
  EXPECT_EQ(run.out, Report({"a.txt", "sub\\b.txt"}, "2 files 0 bytes"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Snapshot(dir_.path), before);
}

// Permissions deny the writes. Root passes every permission check, so as
// root varnox runs as nobody here; the tree is opened up for it to read.
TEST_F(Fault, ReadOnlyOutputDirectories) {
  if (e2e::TargetIsWindows() && geteuid() == 0) {
    GTEST_SKIP() << "Wine refuses to run as an unprivileged user in root's Wine prefix";
  }
  ASSERT_EQ(chmod(dir_.path.c_str(), 0755), 0);
  const std::string program = e2e::CopyVarnoxTo(dir_.path);
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "ro\\a.txt", ToBytes("a"));
  AddFile(archive, "ro\\new\\b.txt", ToBytes("b"));
  AddFile(archive, "rw\\c.txt", ToBytes("c"));
  AddFile(archive, "d.txt", ToBytes("d"));
  ASSERT_TRUE(WriteArchive(archive, index_));

  // A read-only folder inside a writable output directory.
  ASSERT_EQ(mkdir(out_.c_str(), 0777), 0);
  ASSERT_EQ(chmod(out_.c_str(), 0777), 0);
  ASSERT_EQ(mkdir((out_ + "/ro").c_str(), 0555), 0);
  e2e::ProgramRun run = RunVarnox({index_, out_}, {.binary = program, .unprivileged = true});
  if (run.status == e2e::UNPRIVILEGED_FAILED) GTEST_SKIP() << "running as root and can't drop to an unprivileged user";
  EXPECT_EQ(run.out, Report({"ro\\a.txt", "ro\\new\\b.txt", "rw\\c.txt 1 bytes", "d.txt 1 bytes"}, "4 files 2 bytes"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Snapshot(out_ + "/ro"), std::vector<std::string>{});
  EXPECT_EQ(Output("rw/c.txt"), ToBytes("c"));

  // The whole output directory read-only.
  const std::string readOnly = dir_ / "read-only";
  ASSERT_EQ(mkdir(readOnly.c_str(), 0555), 0);
  run = RunVarnox({index_, readOnly}, {.binary = program, .unprivileged = true});
  EXPECT_EQ(run.out, Report({"ro\\a.txt", "ro\\new\\b.txt", "rw\\c.txt", "d.txt"}, "4 files 0 bytes"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Snapshot(readOnly), std::vector<std::string>{});
}

// With the address space limited, a buffer for an item declaring 4 GiB
// can't be had: the run stops at that entry without ending its line, the
// total follows on the same line and still counts every entry.
TEST_F(Fault, MemoryExhaustionStopsTheRunAtTheEntry) {
  if (e2e::TargetIsWindows()) GTEST_SKIP() << "Wine can't start under RLIMIT_AS: it reserves its address space up front";
  if (e2e::VARNOX_IS_SANITIZED) {
    GTEST_SKIP() << "the sanitized varnox reserves terabytes of shadow memory, so it can't start under RLIMIT_AS";
  }
  struct Case {
    const char* what;
    bool first;  // the huge entry comes before any other
    bool outputBuffer;  // the output buffer fails (else the item buffer does)
  };
  const Case cases[] = {
      {"output buffer, after one file", false, true},
      {"output buffer, first entry", true, true},
      {"item buffer, after one file", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ArchiveBuilder archive = NewArchiveBuilder();
    if (!c.first) AddFile(archive, "first", ToBytes("first"));
    if (c.outputBuffer) {
      AddRawItem(archive, "huge", StoredItem(0xFFFFFF00, {}, ZlibStream(ToBytes("small in fact"))));
    } else {
      AddEntry(archive, AddLocator(archive, 0xFFFFFFF0, 0), AddName(archive, "huge"));
    }
    AddFile(archive, "never", ToBytes("never"));
    std::string out = dir_ / ("out-" + std::to_string(&c - cases));
    ASSERT_TRUE(WriteArchive(archive, index_));
    e2e::ProgramRun run = RunVarnox({index_, out}, {.addressSpaceLimit = rlim_t{1} << 30});
    EXPECT_EQ(run.out, c.first ? "Reading archive info...\nhugeTotal : 2 files 0 bytes\n"
                               : "Reading archive info...\nfirst 5 bytes\nhugeTotal : 3 files 5 bytes\n");
    EXPECT_EQ(run.status, 8);
    EXPECT_FALSE(PathExists(out + "/huge"));
    EXPECT_FALSE(PathExists(out + "/never")) << "nothing after the entry that ran out of memory";
    if (!c.first) {
      EXPECT_EQ(ReadFileBytes(out + "/first"), ToBytes("first"));
    }
  }
}
