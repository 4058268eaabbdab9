// A tree of a few thousand files through varnox-pack and varnox: every
// byte and every access and modification time comes back.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "e2e_support.h"

using test_support::Bytes;
using test_support::Snapshot;
using test_support::TempDir;

TEST(RoundTrip, NestedTreeOfThousandsOfFilesWithTimes) {
  TempDir dir;
  std::string src = dir / "src";
  std::map<std::string, e2e::Times> times;
  const int files = 3000;
  for (int i = 0; i < files; ++i) {
    // Up to five levels, a few dozen folders per level.
    std::string rel = "d" + std::to_string(i % 7);
    for (int level = 1; level < 1 + i % 5; ++level) rel += "/l" + std::to_string(level) + "_" + std::to_string(i % (3 + level));
    std::filesystem::create_directories(src + "/" + rel);
    rel += "/f" + std::to_string(i) + (i % 3 == 0 ? ".bin" : ".txt");
    size_t size = i % 50 == 0 ? 300000 + i : static_cast<size_t>((i * 7919) % 20000);
    Bytes content = i % 3 == 0 ? test_support::RandomBytes(size, i)
                               : test_support::ToBytes(std::string(size, static_cast<char>('a' + i % 26)));
    ASSERT_TRUE(archive_writer::WriteBytes(src + "/" + rel, content));
    // Times at 100 ns resolution, the finest a FILETIME holds.
    e2e::Times t{1000000000LL * (1500000000 + i) + 100LL * (i * 31 % 10000000),
                 1000000000LL * (1400000000 + i * 3) + 100LL * (i * 17 % 10000000)};
    timespec ts[2] = {{static_cast<time_t>(t.access / 1000000000), static_cast<long>(t.access % 1000000000)},
                      {static_cast<time_t>(t.modify / 1000000000), static_cast<long>(t.modify % 1000000000)}};
    ASSERT_EQ(utimensat(AT_FDCWD, (src + "/" + rel).c_str(), ts, 0), 0);
    times[rel] = t;
  }

  e2e::ProgramRun pack = e2e::Run({e2e::PackBinary(), src, dir / "tree.idx"});
  ASSERT_EQ(pack.status, 0) << pack.err;
  e2e::ProgramRun run = e2e::RunVarnox({dir / "tree.idx", dir / "out"});
  ASSERT_EQ(run.status, 0) << run.out.substr(0, 2000);
  EXPECT_NE(run.out.find("Total : 3,000 files "), std::string::npos);

  // Times first: reading the files may move their access times.
  for (const auto& [rel, t] : times) {
    e2e::Times got = e2e::FileTimesOf(dir / ("out/" + rel));
    ASSERT_EQ(got.access, t.access) << rel;
    ASSERT_EQ(got.modify, t.modify) << rel;
  }
  EXPECT_EQ(Snapshot(dir / "out"), Snapshot(src));
}
