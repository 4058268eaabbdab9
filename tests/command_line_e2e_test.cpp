// The command line as users type it: switch forms, optional output
// directory, paths relative to the program's own folder, exit statuses.
#include <gtest/gtest.h>

#include "e2e_support.h"

using namespace archive_writer;
using e2e::Report;
using e2e::RunVarnox;
using test_support::IsDirectory;
using test_support::ReadFileBytes;
using test_support::Snapshot;
using test_support::TempDir;
using test_support::ToBytes;

namespace {

class CommandLine : public testing::Test {
 protected:
  void SetUp() override {
    ArchiveBuilder archive = NewArchiveBuilder();
    AddFile(archive, "a.txt", ToBytes("alpha"));
    AddFile(archive, "sub\\b.txt", ToBytes("beta"));
    ASSERT_TRUE(WriteArchive(archive, index_));
  }
  void ExpectExtracted(const std::string& out) {
    EXPECT_EQ(ReadFileBytes(out + "/a.txt"), ToBytes("alpha")) << out;
    EXPECT_EQ(ReadFileBytes(out + "/sub/b.txt"), ToBytes("beta")) << out;
  }
  const std::string report_ = Report({"a.txt 5 bytes", "sub\\b.txt 4 bytes"}, "2 files 9 bytes");
  TempDir dir_;
  std::string index_ = dir_ / "pack.idx";
};

// '/xyz' begins like the switch: on Windows, where no path begins with
// '/', it is the switch; on Linux it is a path.
const std::vector<std::string> SLASH_X_ARGUMENTS = {"/xyz", "/xdata/pack.idx"};

}  // namespace

TEST_F(CommandLine, SwitchMovesIndexAndOutputDirectoryOnePlace) {
  std::vector<std::string> switches = {"", "-x", "-X", "/x", "/X", "-xall", "-Xyz"};
  if (e2e::TargetIsWindows()) switches.insert(switches.end(), SLASH_X_ARGUMENTS.begin(), SLASH_X_ARGUMENTS.end());
  int n = 0;
  for (const std::string& sw : switches) {
    std::string out = dir_ / ("out" + std::to_string(n++));
    std::vector<std::string> args = {index_, out};
    if (!sw.empty()) args.insert(args.begin(), sw);
    e2e::ProgramRun run = RunVarnox(args);
    EXPECT_EQ(run.out, report_) << sw;
    EXPECT_EQ(run.err, "") << sw;
    EXPECT_EQ(run.status, 0) << sw;
    ExpectExtracted(out);
  }
}

TEST_F(CommandLine, OtherFirstArgumentsAreTheIndexPath) {
  std::vector<std::string> firsts = {"/", "-", "/y", "-y", "x"};
  if (!e2e::TargetIsWindows()) firsts.insert(firsts.end(), SLASH_X_ARGUMENTS.begin(), SLASH_X_ARGUMENTS.end());
  std::vector<std::string> before = Snapshot(dir_.path);
  for (const std::string& first : firsts) {
    e2e::ProgramRun run = RunVarnox({first, index_, dir_ / "out"});
    EXPECT_EQ(run.out, "error : cann't open " + first + ".\n") << first;
    EXPECT_EQ(run.status, 2) << first;
  }
  EXPECT_EQ(Snapshot(dir_.path), before) << "the index file is no directory to create";
}

TEST_F(CommandLine, NoIndexPathDoesNothing) {
  std::string bin = e2e::CopyVarnoxTo(dir_.path);
  std::vector<std::string> before = Snapshot(dir_.path);
  for (std::vector<std::string> args : {std::vector<std::string>{}, {"-x"}, {"/X"}}) {
    e2e::ProgramRun run = RunVarnox(args, {.cwd = dir_.path, .binary = bin});
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 7);
  }
  EXPECT_EQ(Snapshot(dir_.path), before);
}

TEST_F(CommandLine, ArgumentsAfterTheOutputDirectoryAreIgnored) {
  e2e::ProgramRun run = RunVarnox({index_, dir_ / "out", "extra", "-x"});
  EXPECT_EQ(run.out, report_);
  ExpectExtracted(dir_ / "out");
  run = RunVarnox({"-x", index_, dir_ / "out2", dir_ / "out3"});
  EXPECT_EQ(run.out, report_);
  ExpectExtracted(dir_ / "out2");
  EXPECT_FALSE(IsDirectory(dir_ / "out3"));
}

TEST_F(CommandLine, RelativePathsResolveAgainstTheProgramsFolder) {
  TempDir bin, elsewhere;
  std::string program = e2e::CopyVarnoxTo(bin.path);
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "a.txt", ToBytes("alpha"));
  AddFile(archive, "sub\\b.txt", ToBytes("beta"));
  ASSERT_TRUE(WriteArchive(archive, bin / "pack.idx"));
  e2e::RunOptions options{.cwd = elsewhere.path, .binary = program};

  // The index path alone: files land beside the program.
  e2e::ProgramRun run = RunVarnox({"pack.idx"}, options);
  EXPECT_EQ(run.out, report_);
  EXPECT_EQ(run.status, 0);
  ExpectExtracted(bin.path);

  // An empty output directory is the same as none.
  ASSERT_EQ(std::remove((bin / "a.txt").c_str()), 0);
  run = RunVarnox({"pack.idx", ""}, options);
  EXPECT_EQ(run.out, report_);
  ExpectExtracted(bin.path);

  // A relative output directory, in either separator form.
  run = RunVarnox({"-x", "pack.idx", "rel\\out"}, options);
  EXPECT_EQ(run.out, report_);
  ExpectExtracted(bin / "rel/out");
  run = RunVarnox({"pack.idx", "rel2/out/"}, options);
  EXPECT_EQ(run.out, report_);
  ExpectExtracted(bin / "rel2/out");

  EXPECT_EQ(Snapshot(elsewhere.path), std::vector<std::string>{}) << "nothing lands where it was started";
}

TEST_F(CommandLine, EmptyIndexPathCannotBeOpened) {
  e2e::ProgramRun run = RunVarnox({"", dir_ / "out"});
  EXPECT_EQ(run.out, "error : cann't open .\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(IsDirectory(dir_ / "out")) << "the output directory is made before the index is opened";
}

TEST_F(CommandLine, OutputDirectoryLongerThan259BytesIsRefused) {
  std::string longDir = dir_.path + "/" + std::string(200, 'd') + "/";
  longDir += std::string(260 - longDir.size(), 'e');
  ASSERT_EQ(longDir.size(), 260u);
  std::vector<std::string> before = Snapshot(dir_.path);
  e2e::ProgramRun run = RunVarnox({index_, longDir});
  EXPECT_EQ(run.out, "error : " + longDir + " is too long.\n");
  EXPECT_EQ(run.status, 7);
  EXPECT_EQ(Snapshot(dir_.path), before);
}

TEST_F(CommandLine, OutputDirectoryOf259BytesLeavesNoRoomForNames) {
  std::string base = dir_.path + "/" + std::string(200, 'd');
  std::string outDir = base + "/" + std::string(259 - base.size() - 1, 'e');
  ASSERT_EQ(outDir.size(), 259u);
  e2e::ProgramRun run = RunVarnox({index_, outDir});
  EXPECT_EQ(run.out, Report({"a.txt", "sub\\b.txt"}, "2 files 0 bytes"));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(IsDirectory(base));
  EXPECT_FALSE(test_support::PathExists(outDir)) << "no backslash fits, so the last level is not made";
}

TEST_F(CommandLine, ArgumentsReachTheProgramAsTyped) {
  // No wildcard expansion, blanks kept inside an argument.
  for (const std::string& index : {std::string("*.idx"), dir_ / "*.idx", dir_ / "pack.?dx", dir_ / "pack .idx"}) {
    e2e::ProgramRun run = RunVarnox({index, dir_ / "out"});
    EXPECT_EQ(run.out, "error : cann't open " + index + ".\n") << index;
    EXPECT_EQ(run.status, 2) << index;
  }
  e2e::ProgramRun run = RunVarnox({index_, dir_ / "with blanks\\and, commas"});
  EXPECT_EQ(run.out, report_);
  ExpectExtracted(dir_ / "with blanks/and, commas");
}

TEST_F(CommandLine, ConsoleLinesEndTheSystemsWay) {
  // Windows ends console lines with "\r\n", Linux with "\n"; every line,
  // error lines included.
  std::string longDir = dir_.path + "/" + std::string(260 - dir_.path.size() - 1, 'l');
  struct Case {
    std::vector<std::string> args;
    std::string printed;
  };
  const Case cases[] = {
      {{index_, dir_ / "out"}, report_},
      {{dir_ / "missing.idx"}, "error : cann't open " + (dir_ / "missing.idx") + ".\n"},
      {{index_, longDir}, "error : " + longDir + " is too long.\n"},
  };
  for (const Case& c : cases) {
    e2e::ProgramRun run = RunVarnox(c.args);
    EXPECT_EQ(run.raw, e2e::AsPrinted(c.printed)) << c.args[0];
  }
}

TEST_F(CommandLine, DrivePathsInEitherSeparatorForm) {
  if (!e2e::TargetIsWindows()) GTEST_SKIP() << "drive letters name folders on Windows only";
  // Wine shows the Linux root as drive Z:. The drive itself is never made:
  // the output directory's walk leaves 'Z:\' alone, and the walk above each
  // file passes over 'Z:'.
  std::string backslashed = dir_.path;
  for (char& c : backslashed) c = c == '/' ? '\\' : c;
  struct Case {
    std::string index, out, extracted;
  };
  const Case cases[] = {
      {"Z:" + backslashed + "\\pack.idx", "Z:" + backslashed + "\\out\\deeper", dir_ / "out/deeper"},
      {"z:" + dir_.path + "/pack.idx", "z:" + dir_.path + "/out2/", dir_ / "out2"},
  };
  for (const Case& c : cases) {
    e2e::ProgramRun run = RunVarnox({c.index, c.out});
    EXPECT_EQ(run.out, report_) << c.out;
    EXPECT_EQ(run.status, 0) << c.out;
    ExpectExtracted(c.extracted);
  }
}
