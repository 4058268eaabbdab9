#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extract/data_file_path.h"

namespace {

std::string PathFor(const char* indexPath) {
  std::vector<char> out(DataFilePathCapacity(indexPath));
  DataFilePath(indexPath, out.data());
  return out.data();
}

}  // namespace

TEST(DataFilePath, ReplacesTheFileNameExtension) {
  struct Case { const char* index; const char* data; };
  const Case cases[] = {
      {"game.idx", "game.dat"},
      {"a.b.idx", "a.b.dat"},
      {"x.", "x.dat"},
      {"pack", "pack.dat"},
      {"pack.old\\data", "pack.old\\data.dat"},
      {"pack.old/data", "pack.old/data.dat"},
      {"dir.v2\\pack.idx", "dir.v2\\pack.dat"},
      {"C:\\games\\pack.IDX", "C:\\games\\pack.dat"},
      {".idx", ".dat"},
      {"dir\\", "dir\\.dat"},
      {"", ".dat"},
  };
  for (const Case& c : cases) EXPECT_EQ(PathFor(c.index), c.data) << c.index;
}

TEST(DataFilePath, KeepsLongPathsWhole) {
  std::string index = std::string(300, 'p') + ".idx";
  EXPECT_EQ(PathFor(index.c_str()), std::string(300, 'p') + ".dat");
}
