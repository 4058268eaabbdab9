#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include "test_support.h"
#include "util/make_directories.h"

using test_support::IsDirectory;
using test_support::PathExists;
using test_support::Snapshot;
using test_support::TempDir;

namespace {

// Runs the routines with a temporary folder as the working directory, as
// the program runs them from its own folder.
class MakeDirectoriesTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
    ASSERT_EQ(chdir(dir_.path.c_str()), 0);
  }
  void TearDown() override { ASSERT_EQ(chdir(previous_), 0); }
  // Walks a copy of path; returns the result and the text afterwards.
  std::pair<int, std::string> Parents(std::string path) {
    int result = MakeParentDirectories(path.data());
    return {result, path.c_str()};
  }
  TempDir dir_;
  char previous_[PATH_MAX];
};

}  // namespace

TEST_F(MakeDirectoriesTest, OutputDirectoryLevels) {
  struct Case {
    const char* text;
    bool result;
    std::vector<std::string> tree;  // what the working directory holds afterwards
  };
  const Case cases[] = {
      {"", false, {}},
      {"a", true, {}},  // with its backslash shorter than four bytes: nothing scanned
      {"ab", true, {}},
      {"out", true, {"out d"}},
      {"out\\", true, {"out d"}},
      {"x\\y\\z", false, {}},  // like ab\cd: 'x\y' is the first level
      {"x/y/z", true, {"x d", "x/y d", "x/y/z d"}},  // slashes cut even in the first three bytes
      {"abc\\de\\f", true, {"abc d", "abc/de d", "abc/de/f d"}},
      {"ab\\cd", false, {}},  // the backslash at offset 2 is not a cut: 'ab\cd' is the first level
      {"abc\\d", true, {"abc d", "abc/d d"}},
  };
  for (const Case& c : cases) {
    TempDir scratch;
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    EXPECT_EQ(MakeOutputDirectory(c.text), c.result) << c.text;
    EXPECT_EQ(Snapshot("."), c.tree) << c.text;
    ASSERT_EQ(chdir(dir_.path.c_str()), 0);
  }
}

TEST_F(MakeDirectoriesTest, OutputDirectoryExistingAbsoluteAndBlocked) {
  EXPECT_TRUE(MakeOutputDirectory("out"));
  EXPECT_TRUE(MakeOutputDirectory("out")) << "an existing directory is fine";

  // Absolute, in both separator forms: the empty first level is passed over.
  std::string slashes = dir_.path + "/abs/one";
  EXPECT_TRUE(MakeOutputDirectory(slashes.c_str()));
  EXPECT_TRUE(IsDirectory(slashes));
  std::string backslashes = dir_.path + "\\abs\\two";
  for (char& c : backslashes) c = c == '/' ? '\\' : c;
  EXPECT_TRUE(MakeOutputDirectory(backslashes.c_str()));
  EXPECT_TRUE(IsDirectory(dir_.path + "/abs/two"));

  ASSERT_TRUE(archive_writer::WriteBytes("file", {'f'}));
  EXPECT_FALSE(MakeOutputDirectory("file\\sub"));
  EXPECT_FALSE(IsDirectory("file"));
  EXPECT_FALSE(MakeOutputDirectory("file"));
}

TEST_F(MakeDirectoriesTest, OutputDirectoryOf259BytesGetsNoBackslash) {
  // 259 bytes and no room for a backslash: the last level is not created.
  std::string text = "lvl\\" + std::string(254, 'n') + "\\";
  text += std::string(259 - text.size(), 'z');
  ASSERT_EQ(text.size(), 259u);
  EXPECT_TRUE(MakeOutputDirectory(text.c_str()));
  EXPECT_TRUE(IsDirectory("lvl/" + std::string(254, 'n')));
  EXPECT_EQ(Snapshot("lvl").size(), 1u);
}

TEST_F(MakeDirectoriesTest, ParentDirectoriesOfAFilePath) {
  struct Case {
    const char* path;
    int result;
    const char* after;
    std::vector<std::string> tree;
  };
  const Case cases[] = {
      {"name.bin", 0, "name.bin", {}},
      {"out\\sub\\name.bin", 0, "out\\sub\\name.bin", {"out d", "out/sub d"}},
      {"out/sub/name.bin", 0, "out\\sub\\name.bin", {"out d", "out/sub d"}},
      {"out\\sub\\", 0, "out\\sub\\", {"out d", "out/sub d"}},
      {"out\\/x", 0, "out\\\\x", {"out d"}},
  };
  for (const Case& c : cases) {
    TempDir scratch;
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    EXPECT_EQ(Parents(c.path), std::make_pair(c.result, std::string(c.after))) << c.path;
    EXPECT_EQ(Snapshot("."), c.tree) << c.path;
    EXPECT_EQ(Parents(c.path).first, c.result) << "again, with every level present: " << c.path;
    ASSERT_EQ(chdir(dir_.path.c_str()), 0);
  }
}

TEST_F(MakeDirectoriesTest, ParentWalkStopsOnAMissingComponent) {
  ASSERT_TRUE(archive_writer::WriteBytes("file", {'f'}));
  // 'file' exists (EEXIST, go on); 'file/sub' cannot be made (ENOTDIR,
  // reported as ENOENT): the walk stops there and the text is cut.
  EXPECT_EQ(Parents("file\\sub\\deeper\\name"), std::make_pair(-1, std::string("file\\sub")));
  EXPECT_FALSE(PathExists("file/sub"));
}

TEST_F(MakeDirectoriesTest, ParentWalkPassesOverTheEmptyLevelOfAnAbsolutePath) {
  std::string path = dir_.path + "/abs/sub/name";
  auto [result, after] = Parents(path);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(IsDirectory(dir_.path + "/abs/sub"));
  for (char& c : path) c = c == '/' ? '\\' : c;
  EXPECT_EQ(after, path);
}

TEST_F(MakeDirectoriesTest, ParentWalkGoesOnPastOtherFailures) {
  if (geteuid() == 0) GTEST_SKIP() << "root ignores directory permissions";
  ASSERT_EQ(mkdir("locked", 0555), 0);
  // EACCES is no missing component: the walk goes on to the end.
  EXPECT_EQ(Parents("locked\\a\\b\\name").first, 0);
  chmod("locked", 0755);
}

TEST(SharedDirectoryPrefix, LongestCommonFolderEndingAtASeparator) {
  struct Case { const char* path; const char* directory; size_t shared; };
  const Case cases[] = {
      {"out\\lib\\a\\f", "out\\lib\\a", 9},
      {"out/lib/a/f", "out\\lib\\a", 9},     // either separator matches either
      {"out\\lib\\ab\\f", "out\\lib\\a", 7},  // 'a' is no folder of 'ab'
      {"out\\lib\\a", "out\\lib\\a", 7},      // the file 'a' beside, not inside, folder a
      {"out\\li", "out\\lib", 3},
      {"other\\f", "out\\lib", 0},
      {"f", "out", 0},
      {"out\\f", "", 0},
      {"/abs/dir/f", "/abs/dir", 8},
      {"/abs/f", "/other", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(SharedDirectoryPrefix(c.path, c.directory), c.shared) << c.path;
}

TEST_F(MakeDirectoriesTest, WalkBelowAKnownFolderMakesOnlyDeeperLevels) {
  ASSERT_EQ(Parents("a\\b\\f").first, 0);
  // 'a\b' is known: only 'a\b\c' and 'a\b\c\d' are made, and the text
  // comes out as the full walk leaves it.
  std::string path = "a/b/c\\d/f";
  EXPECT_EQ(MakeParentDirectoriesBelow(path.data(), 3), 0);
  EXPECT_EQ(path, "a\\b\\c\\d\\f");
  EXPECT_TRUE(IsDirectory("a/b/c/d"));
  // Levels taken as known are not made, even when missing.
  path = "x\\y\\f";
  EXPECT_EQ(MakeParentDirectoriesBelow(path.data(), 1), -1);
  EXPECT_FALSE(PathExists("x"));
}
