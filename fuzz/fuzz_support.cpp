#include "fuzz_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Sanitizer settings built into every target, so that a run by hand behaves
// as in CI (ASAN_OPTIONS in the environment still win). Allocations over
// 64 MB return null instead of stopping the process. An item may declare up
// to 4 GiB, which the program must take as lack of memory (its exit status 8
// path), and each large allocation costs AddressSanitizer an eighth of its
// size in shadow memory to poison and unpoison: allowed up to 2 GB, they
// slowed whole extractions from about 2,000 runs a second to under 100.
// Files are limited to 16 MiB anyway (extract_archive_fuzz.cpp).
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=64:detect_leaks=1:strict_string_checks=1";
}

namespace fuzz {

void SilenceStdout() {
  std::fflush(stdout);
  int devnull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (devnull < 0 || dup2(devnull, STDOUT_FILENO) < 0) Fail("can't send standard output to /dev/null");
  close(devnull);
}

void WriteWhole(const std::string& path, const uint8_t* data, size_t size) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Fail("can't create", path);
  size_t done = 0;
  while (done < size) {
    ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) Fail("can't write", path);
    done += static_cast<size_t>(n);
  }
  if (close(fd) != 0) Fail("can't close", path);
}

std::vector<std::string> DirectoryNames(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) Fail("can't list", path);
  while (const dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.push_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz target: %s %s\n", what, detail.c_str());
  std::abort();
}

}  // namespace fuzz
