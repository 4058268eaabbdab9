// Archived names made to escape the output directory or to upset the
// console: one archive per name, its exact console line, where (if
// anywhere) the file lands, and the whole temporary tree outside the output
// directory unchanged.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e_support.h"

using namespace archive_writer;
using e2e::Report;
using e2e::RunVarnox;
using test_support::Bytes;
using test_support::ReadFileBytes;
using test_support::Snapshot;
using test_support::TempDir;
using test_support::ToBytes;

namespace {

const Bytes CONTENT = ToBytes("evil");

struct NameCase {
  const char* what;
  std::string name;
  std::string written;  // path inside the output directory; empty: skipped
};

// The output directory lies three levels below the top of the temporary
// tree, beside files worth overwriting, so that a name climbing up to three
// levels would land inside the tree that is watched.
class HostileNames : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_ / "work");
    std::filesystem::create_directories(dir_ / "l1/l2");
    ASSERT_TRUE(WriteBytes(dir_ / "work/keep.txt", ToBytes("keep")));
    ASSERT_TRUE(WriteBytes(dir_ / "l1/keep.txt", ToBytes("keep")));
    ASSERT_TRUE(WriteBytes(dir_ / "l1/l2/x", ToBytes("keep")));
  }

  // Runs the one-entry archive into a fresh output directory and checks its
  // line, its file (written: the path inside the output directory, or empty
  // when nothing may be written) and the tree around the output directory.
  void Check(const ArchiveBuilder& archive, const std::string& shown, const std::string& written) {
    std::filesystem::remove_all(out_);
    std::filesystem::create_directory(out_);
    ASSERT_TRUE(WriteArchive(archive, index_));
    const std::vector<std::string> before = Outside();
    e2e::ProgramRun run = RunVarnox({index_, out_});
    EXPECT_EQ(run.out, Report({written.empty() ? shown : shown + " 4 bytes"},
                              written.empty() ? "1 files 0 bytes" : "1 files 4 bytes"));
    EXPECT_EQ(run.status, written.empty() ? 1 : 0);
    EXPECT_EQ(Outside(), before) << "something changed outside the output directory";
    size_t files = 0;
    for (const std::string& row : Snapshot(out_)) files += row.ends_with(" d") ? 0 : 1;
    EXPECT_EQ(files, written.empty() ? 0u : 1u);
    if (!written.empty()) {
      EXPECT_EQ(ReadFileBytes(out_ + "/" + written), CONTENT) << written;
    }
  }

  // Each name alone in an archive, stored under AddFile's chain of segments.
  void CheckNames(const std::vector<NameCase>& cases) {
    for (const NameCase& c : cases) {
      SCOPED_TRACE(std::string(c.what) + ": " + c.name);
      ArchiveBuilder archive = NewArchiveBuilder();
      AddFile(archive, c.name, CONTENT);
      if (e2e::TargetIsWindows() && !c.written.empty() && WindowsAltersName(c.written)) {
        CheckStaysInside(archive, c.name);
      } else {
        Check(archive, c.name, c.written);
      }
    }
  }

  // Windows takes no control bytes in a file name, drops the dots and
  // spaces that end a component and reads bytes above 127 in its ANSI code
  // page, so where such a name lands (or whether it is written at all) is
  // the file system's business: the line still shows the name, and nothing
  // outside the output directory may change.
  static bool WindowsAltersName(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
      unsigned char byte = i < path.size() ? static_cast<unsigned char>(path[i]) : 0;
      if (i < path.size() && (byte < 0x20 || byte > 0x7F)) return true;
      if (i == path.size() || path[i] == '/') {
        std::string component = path.substr(start, i - start);
        if (component != "." && !component.empty() && (component.back() == '.' || component.back() == ' ')) return true;
        start = i + 1;
      }
    }
    return false;
  }

  void CheckStaysInside(const ArchiveBuilder& archive, const std::string& shown) {
    std::filesystem::remove_all(out_);
    std::filesystem::create_directory(out_);
    ASSERT_TRUE(WriteArchive(archive, index_));
    const std::vector<std::string> before = Outside();
    e2e::ProgramRun run = RunVarnox({index_, out_});
    EXPECT_EQ(run.out.rfind("Reading archive info...\n" + shown, 0), 0u) << run.out;
    EXPECT_EQ(Outside(), before) << "something changed outside the output directory";
  }

  // The temporary tree without what lies inside the output directory. Rows
  // are cut short after the size and time, so that a failure shows no index.
  std::vector<std::string> Outside() {
    std::vector<std::string> rows = Snapshot(dir_.path);
    std::erase_if(rows, [](const std::string& row) { return row.rfind("l1/l2/out/", 0) == 0; });
    for (std::string& row : rows) row.resize(std::min<size_t>(row.size(), 80));
    return rows;
  }

  TempDir dir_;
  std::string index_ = dir_ / "pack.idx";
  std::string out_ = dir_ / "l1/l2/out";
};

}  // namespace

TEST_F(HostileNames, DotDotComponents) {
  CheckNames({
                 {"the parent alone", "..", ""},
                 {"one level up", "..\\x", ""},
                 {"one level up, slash", "../x", ""},
                 {"up onto a file beside", "..\\..\\x", ""},
                 {"three levels up onto a kept file", "..\\..\\..\\work\\keep.txt", ""},
                 {"down then further up", "a\\..\\..\\x", ""},
                 {"down and back", "a\\..\\b", ""},
                 {"ends going up", "a\\b\\..", ""},
                 {"dot dot across a segment boundary", std::string(58, 'a') + "\\..\\x", ""},
                 {"dot dot as the last of 240 bytes", std::string(237, 'a') + "\\..", ""},
                 {"240 safe bytes, too long beside the output directory",
                  std::string(120, 'a') + "\\" + std::string(119, 'b'), ""},
                 {"three dots are a name", "...", "..."},
                 {"dots before a name", "..x", "..x"},
                 {"dots after a name", "x..\\y..", "x../y.."},
                 {"one dot is this directory", ".\\a\\.\\b", "a/b"},
                 {"doubled separators", "a\\\\b//c", "a/b/c"},
  });
}

TEST_F(HostileNames, LeadingSeparatorsAndDrives) {
  CheckNames({
                 {"root", "\\x", ""},
                 {"root, slash", "/x", ""},
                 {"an absolute path of this tree", dir_ / "work/keep.txt", ""},
                 {"server share", "\\\\server\\share\\x", ""},
                 {"server share, slashes", "//server/share/x", ""},
                 {"root then up", "\\..\\x", ""},
                 {"drive root", "C:\\x", ""},
                 {"drive relative", "c:x", ""},
                 {"drive, slash", "Z:/x", ""},
                 {"drive alone", "C:", ""},
                 {"any byte before the colon", "1:x", ""},
                 {"two colons", "::x", ""},
                 {"a colon first is a name", ":x", ":x"},
                 {"a colon third is a name", "ab:c", "ab:c"},
  });
}

TEST_F(HostileNames, MixedSeparators) {
  CheckNames({
                 {"slash then backslash up", "a/..\\..\\x", ""},
                 {"backslash then slash up", "a\\../../x", ""},
                 {"up between both", "..\\/x", ""},
                 {"both, going down", "a\\b/c\\d.txt", "a/b/c/d.txt"},
  });
}

TEST_F(HostileNames, ControlBytesAndFormatCharactersArePrintedAsTheyAre) {
  CheckNames({
                 {"tab", "tab\there", "tab\there"},
                 {"line feed", "line\nfeed", "line\nfeed"},
                 {"carriage return", "cr\rhere", "cr\rhere"},
                 {"escape sequence", "\x1b[31mred\x1b[0m", "\x1b[31mred\x1b[0m"},
                 {"bell and delete", "\a\x7f", "\a\x7f"},
                 {"control byte then up", "\x01\\..\\x", ""},
                 {"conversions", "%s%s%s%s%n%n", "%s%s%s%s%n%n"},
                 {"more conversions", "%x%p%d%c%1000000d", "%x%p%d%c%1000000d"},
                 {"a lone percent", "100%", "100%"},
                 {"conversions that climb", "%s\\..\\..\\%n", ""},
                 {"bytes above 127", "caf\xc3\xa9\xff\xfe", "caf\xc3\xa9\xff\xfe"},
  });
}

// Names given segment by segment: chains that loop. A link of 0 would mark
// its slot empty, so the chains live from slot 1 on.
TEST_F(HostileNames, LoopingChains) {
  struct Segment {
    uint32_t next;
    std::string text;
  };
  struct ChainCase {
    const char* what;
    std::vector<Segment> segments;  // in slots 1, 2, ...; the entry's name starts at slot 1
    std::string shown;
    std::string written;
  };
  std::string up;
  for (int i = 0; i < 20; ++i) up += "..\\";
  const std::string a(60, 'a'), b(60, 'b');
  const ChainCase cases[] = {
      {"a loop of '..\\' is cut at 240 bytes", {{1, up}}, up + up + up + up, ""},
      {"a loop back through the top bit", {{2, a}, {0x80000001, up}}, a + up + a + up, ""},
      {"a loop whose text ends is no loop", {{1, "x"}}, "x", "x"},
      {"text ending in the second segment of a loop", {{2, b}, {1, "\\y"}}, b + "\\y", b + "/y"},
  };
  for (const ChainCase& c : cases) {
    SCOPED_TRACE(c.what);
    ArchiveBuilder archive = NewArchiveBuilder();
    PutNameSegment(archive.index, archive.nameCount++, CHAIN_END, "unused");
    for (const Segment& s : c.segments) PutNameSegment(archive.index, archive.nameCount++, s.next, s.text);
    Bytes item = StoredItem(4, {}, ZlibStream(CONTENT));
    AddEntry(archive, AddLocator(archive, static_cast<uint32_t>(item.size()), AppendItem(archive.data, item)), 1);
    Check(archive, c.shown, c.written);
  }
}
