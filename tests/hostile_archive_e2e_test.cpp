// Archives that point outside their tables or name files outside the
// output directory: each such entry is skipped, the rest are extracted,
// and nothing outside the output directory changes.
#include <gtest/gtest.h>

#include "e2e_support.h"

using namespace archive_writer;
using e2e::Report;
using e2e::RunVarnox;
using test_support::PathExists;
using test_support::ReadFileBytes;
using test_support::Snapshot;
using test_support::TempDir;
using test_support::ToBytes;

namespace {

// The archive and the output directory live side by side in one temporary
// tree; everything in that tree but the output directory must stay as it was.
class Hostile : public e2e::ArchiveTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(mkdir(out_.c_str(), 0755), 0);
    ASSERT_EQ(mkdir((dir_ / "work").c_str(), 0755), 0);
    ASSERT_TRUE(WriteBytes(dir_ / "work/keep.txt", ToBytes("keep")));
  }
  e2e::ProgramRun Run(const IndexImage& index, const DataImage& data) {
    EXPECT_TRUE(WriteArchive(index, data, index_));
    std::vector<std::string> before = Outside();
    e2e::ProgramRun run = RunVarnox({index_, out_});
    EXPECT_EQ(Outside(), before) << "something changed outside the output directory";
    return run;
  }
  e2e::ProgramRun Run(const ArchiveBuilder& archive) { return Run(archive.index, archive.data); }
  // The temporary tree without the output directory.
  std::vector<std::string> Outside() {
    std::vector<std::string> rows;
    for (const std::string& row : Snapshot(dir_.path)) {
      if (row.rfind("out", 0) != 0) rows.push_back(row);
    }
    return rows;
  }
};

}  // namespace

TEST_F(Hostile, UnsafeNamesAreShownButNothingIsWritten) {
  const std::string escape = "..\\" + dir_.path.substr(dir_.path.rfind('/') + 1) + "\\work\\keep.txt";
  const std::vector<std::string> unsafe = {
      "..\\escaped.txt", "../escaped.txt", "a\\..\\..\\escaped.txt", "a/../../escaped.txt", "a\\..\\b.txt", "..",
      escape,            std::string("\\").append(dir_ / "work/abs.txt"),  dir_ / "work/abs.txt", "C:\\drive.txt", "c:rel.txt",
      "sub\\..",
  };
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "first.txt", ToBytes("1"));
  std::vector<std::string> lines = {"first.txt 1 bytes"};
  for (const std::string& name : unsafe) {
    AddFile(archive, name, ToBytes("evil"));
    lines.push_back(name);
  }
  AddFile(archive, "last.txt", ToBytes("2"));
  lines.push_back("last.txt 1 bytes");
  e2e::ProgramRun run = Run(archive);
  EXPECT_EQ(run.out, Report(lines, std::to_string(unsafe.size() + 2) + " files 2 bytes"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Snapshot(out_).size(), 2u) << "only first.txt and last.txt";
  EXPECT_EQ(ReadFileBytes(out_ + "/last.txt"), ToBytes("2"));
  EXPECT_FALSE(PathExists(out_ + "/a")) << "no directory is made for a refused name";
}

TEST_F(Hostile, PositionsPastTheTablesAreSkipped) {
  IndexImage index = NewIndex(0);
  DataImage data;
  PutLocator(index, 0, 0, 0);
  Bytes item = StoredItem(2, {}, ZlibStream(ToBytes("ok")));
  PutLocator(index, 1, static_cast<uint32_t>(item.size()), AppendItem(data, item));
  PutNameSegment(index, 0, CHAIN_END, "good");
  PutNameSegment(index, 1, CHAIN_END, "no-locator");
  PutNameSegment(index, 2, 0x80000000 | 77, std::string(60, 'p'));  // runs on into a segment that isn't there
  PutEntry(index, 0, Entry(2, 1));           // locator 2 does not exist
  PutEntry(index, 1, Entry(0xFFFFFFFF, 1));  // nor does locator 4,294,967,295
  PutEntry(index, 2, Entry(1, 2));
  PutEntry(index, 3, Entry(1, 500));         // no segment 500 at all
  PutEntry(index, 4, Entry(1, 0));
  e2e::ProgramRun run = Run(index, data);
  EXPECT_EQ(run.out, Report({"no-locator", "no-locator", std::string(60, 'p'), "", "good 2 bytes"}, "5 files 2 bytes"));
  EXPECT_EQ(run.status, 1);
}

TEST_F(Hostile, ChainsThatNeverEndShowTheirFirst240Bytes) {
  IndexImage index = NewIndex(0);
  DataImage data;
  PutLocator(index, 0, 0, 0);
  Bytes item = StoredItem(1, {}, ZlibStream(ToBytes("x")));
  PutLocator(index, 1, static_cast<uint32_t>(item.size()), AppendItem(data, item));
  const std::string a(60, 'a'), b(60, 'b');
  PutNameSegment(index, 0, CHAIN_END, "zero");
  PutNameSegment(index, 1, 0x80000002, a);  // 1 -> 2 -> 1 -> ...
  PutNameSegment(index, 2, 1, b);
  PutNameSegment(index, 3, 3, std::string(60, 's'));  // 3 -> 3
  for (uint32_t s = 4; s < 9; ++s) PutNameSegment(index, s, s + 1, std::string(60, char('0' + s)));  // five long
  PutNameSegment(index, 9, CHAIN_END, "end");
  PutEntry(index, 0, Entry(1, 1));
  PutEntry(index, 1, Entry(1, 3));
  PutEntry(index, 2, Entry(1, 4));
  e2e::ProgramRun run = Run(index, data);
  EXPECT_EQ(run.out, Report({a + b + a + b, std::string(240, 's'),
                             std::string(60, '4') + std::string(60, '5') + std::string(60, '6') + std::string(60, '7')},
                            "3 files 0 bytes"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Snapshot(out_), std::vector<std::string>{});
}

TEST_F(Hostile, EmptyNamesGiveEmptyLines) {
  ArchiveBuilder archive = NewArchiveBuilder();
  AddEntry(archive, AddLocator(archive, 40, 0), CHAIN_END);
  uint32_t zeroFirst = archive.nameCount++;
  PutNameSegment(archive.index, zeroFirst, CHAIN_END, std::string("\0hidden", 7));
  AddFile(archive, "real", ToBytes("r"));
  AddEntry(archive, 1, zeroFirst);
  e2e::ProgramRun run = Run(archive);
  EXPECT_EQ(run.out, Report({"", "real 1 bytes", ""}, "3 files 1 bytes"));
  EXPECT_EQ(run.status, 1);
}

TEST_F(Hostile, OutputPathsOver259BytesAreSkipped) {
  // The output directory text plus the name: 260 bytes.
  std::string outText = out_ + "\\";
  std::string name = std::string(100, 'n') + "\\" + std::string(259 - outText.size() - 101, 'm');
  ASSERT_EQ(outText.size() + name.size(), 259u);
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, name + "X", ToBytes("too long"));
  AddFile(archive, name, ToBytes("fits"));
  e2e::ProgramRun run = Run(archive);
  EXPECT_EQ(run.out, Report({name + "X", name + " 4 bytes"}, "2 files 4 bytes"));
  EXPECT_EQ(run.status, 1);
}

TEST_F(Hostile, AFileWhereADirectoryIsNeeded) {
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "a", ToBytes("file"));
  AddFile(archive, "a\\b", ToBytes("needs a/ to be a directory"));
  AddFile(archive, "a\\b\\c", ToBytes("deeper"));
  AddFile(archive, "z", ToBytes("z"));
  e2e::ProgramRun run = Run(archive);
  EXPECT_EQ(run.out, Report({"a 4 bytes", "a\\b", "a\\b\\c", "z 1 bytes"}, "4 files 5 bytes"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadFileBytes(out_ + "/a"), ToBytes("file"));
}

TEST_F(Hostile, ADirectoryWhereAFileIsNeeded) {
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "d\\inner", ToBytes("i"));
  AddFile(archive, "d", ToBytes("wants to be a file"));
  e2e::ProgramRun run = Run(archive);
  EXPECT_EQ(run.out, Report({"d\\inner 1 bytes", "d"}, "2 files 1 bytes"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadFileBytes(out_ + "/d/inner"), ToBytes("i"));
}

TEST_F(Hostile, NamesWindowsWouldNotTakeAsPlainFiles) {
  // On Windows a final '.. ' or '...' may act as '..', and device names
  // stand for devices in every folder: such entries are skipped there.
  // Elsewhere they are names like any other.
  const bool windows = e2e::TargetIsWindows();
  const std::vector<std::string> names = {".. ",    "...",     "sub\\.. ", "sub\\...\\x.txt", "CON",
                                          "nul.txt", "aux\\x.txt", "com1",  "LPT9.log",        "Con .txt"};
  ArchiveBuilder archive = NewArchiveBuilder();
  std::vector<std::string> lines;
  for (const std::string& name : names) {
    AddFile(archive, name, ToBytes("dev"));
    lines.push_back(windows ? name : name + " 3 bytes");
  }
  AddFile(archive, "last.txt", ToBytes("2"));
  lines.push_back("last.txt 1 bytes");
  e2e::ProgramRun run = Run(archive);
  size_t written = windows ? 0 : names.size();
  EXPECT_EQ(run.out, Report(lines, std::to_string(names.size() + 1) + " files " + std::to_string(3 * written + 1) +
                                       " bytes"));
  EXPECT_EQ(run.status, windows ? 1 : 0);
  if (windows) {
    EXPECT_EQ(Snapshot(out_).size(), 1u) << "only last.txt";
  } else {
    EXPECT_EQ(ReadFileBytes(out_ + "/sub/.../x.txt"), ToBytes("dev"));
    EXPECT_EQ(ReadFileBytes(out_ + "/CON"), ToBytes("dev"));
  }
}
