// A whole extraction of an arbitrary index and data file pair.
//
// Input: a 32-bit little-endian length n, then n bytes of index file, then
// the data file (all that is left; n is cut to what there is). Each run
// writes both files into a fresh folder, extracts them into an output
// folder beside them, checks that nothing appeared or changed anywhere else
// in the tree around it, and removes the folder.
//
// Files are limited to 16 MiB (RLIMIT_FSIZE, SIGXFSZ ignored): a few bytes
// of zlib stream can declare and produce far more, and a run must stay
// quick; writes past the limit fail as on a full disk, a path worth running.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "extract/extract_archive.h"
#include "fuzz_support.h"

namespace {

constexpr rlim_t FILE_SIZE_LIMIT = rlim_t{16} << 20;

// root/l1/l2/run holds the archive and the output folder; the levels above
// it let a name that climbs out be seen where it lands.
std::string root;
std::string runDir;

void RemoveRoot() {
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

void ExpectOnly(const std::string& dir, const std::vector<std::string>& names) {
  if (fuzz::DirectoryNames(dir) != names) fuzz::Fail("something was written outside the output folder, in", dir);
}

int64_t SizeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SilenceStdout();
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{FILE_SIZE_LIMIT, FILE_SIZE_LIMIT};
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) fuzz::Fail("can't limit file sizes");

  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/varnox-fuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) fuzz::Fail("mkdtemp failed in", pattern);
  root = pattern;
  std::atexit(RemoveRoot);
  std::error_code error;
  std::filesystem::create_directories(root + "/l1/l2", error);
  if (error) fuzz::Fail("can't make", root + "/l1/l2");
  runDir = root + "/l1/l2/run";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint32_t indexSize = 0;
  if (size >= 4) {
    indexSize = uint32_t{data[0]} | uint32_t{data[1]} << 8 | uint32_t{data[2]} << 16 | uint32_t{data[3]} << 24;
    data += 4;
    size -= 4;
  }
  if (indexSize > size) indexSize = static_cast<uint32_t>(size);

  const std::string indexPath = runDir + "/p.idx", dataPath = runDir + "/p.dat";
  if (mkdir(runDir.c_str(), 0755) != 0 || mkdir((runDir + "/o").c_str(), 0755) != 0) fuzz::Fail("can't make", runDir);
  fuzz::WriteWhole(indexPath, data, indexSize);
  fuzz::WriteWhole(dataPath, data + indexSize, size - indexSize);

  RunResult result = ExtractArchive(indexPath.c_str(), (runDir + "/o\\").c_str());

  bool marked = indexSize >= 4 && std::memcmp(data, "ABCD", 4) == 0;
  if (!marked && result != RunResult::ArchiveUnreadable) fuzz::Fail("an index without its mark was not refused");
  ExpectOnly(root, {"l1"});
  ExpectOnly(root + "/l1", {"l2"});
  ExpectOnly(root + "/l1/l2", {"run"});
  ExpectOnly(runDir, {"o", "p.dat", "p.idx"});
  if (SizeOf(indexPath) != int64_t{indexSize} || SizeOf(dataPath) != static_cast<int64_t>(size - indexSize)) {
    fuzz::Fail("the archive files changed");
  }
  std::error_code error;
  std::filesystem::remove_all(runDir, error);
  if (error) fuzz::Fail("can't remove", runDir);
  return 0;
}
