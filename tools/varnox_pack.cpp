// varnox-pack [-0..-9] SOURCE_DIR INDEX_FILE
//
// Packs every regular file below SOURCE_DIR into INDEX_FILE and the data
// file beside it (same name, extension .dat). Names are relative paths with
// backslash separators; each item keeps the file's creation (where the
// file system knows it, else the modification), access and modification
// times. Files are taken in sorted name order.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive_writer.h"

namespace fs = std::filesystem;
using namespace archive_writer;

namespace {

int64_t Nanoseconds(const struct statx_timestamp& t) { return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec; }

bool ReadTimes(const fs::path& path, FileTimes& times) {
  struct statx st;
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) return false;
  times.lastAccess = FileTimeFromUnixNanoseconds(Nanoseconds(st.stx_atime));
  times.lastWrite = FileTimeFromUnixNanoseconds(Nanoseconds(st.stx_mtime));
  times.creation = (st.stx_mask & STATX_BTIME) != 0 ? FileTimeFromUnixNanoseconds(Nanoseconds(st.stx_btime))
                                                    : times.lastWrite;
  return true;
}

bool ReadContent(const fs::path& path, Bytes& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

int Usage() {
  std::fprintf(stderr, "usage: varnox-pack [-0..-9] SOURCE_DIR INDEX_FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int level = 6;
  int arg = 1;
  if (arg < argc && argv[arg][0] == '-' && argv[arg][1] >= '0' && argv[arg][1] <= '9' && argv[arg][2] == '\0') {
    level = argv[arg][1] - '0';
    ++arg;
  }
  if (argc - arg != 2) return Usage();
  fs::path source = argv[arg];
  std::string indexPath = argv[arg + 1];

  std::error_code error;
  std::vector<fs::path> files;
  for (fs::recursive_directory_iterator it(source, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file(error) && !it->is_symlink(error)) files.push_back(it->path());
  }
  if (error) {
    std::fprintf(stderr, "varnox-pack: can't read %s: %s\n", source.c_str(), error.message().c_str());
    return 1;
  }
  std::sort(files.begin(), files.end());

  ArchiveBuilder archive = NewArchiveBuilder(level);
  uint64_t largestItem = 0;  // stored length plus unpacked size, what extracting it holds at once
  for (const fs::path& file : files) {
    std::string name = fs::relative(file, source).generic_string();
    std::replace(name.begin(), name.end(), '/', '\\');
    if (name.size() > 240) {
      std::fprintf(stderr, "varnox-pack: name longer than 240 bytes: %s\n", name.c_str());
      return 1;
    }
    Bytes content;
    FileTimes times;
    // Times first: reading the content may move the access time.
    if (!ReadTimes(file, times) || !ReadContent(file, content)) {
      std::fprintf(stderr, "varnox-pack: can't read %s\n", file.c_str());
      return 1;
    }
    size_t before = archive.data.bytes.size();
    AddFile(archive, name, content, times);
    uint64_t itemBytes = archive.data.bytes.size() - before + content.size();
    if (itemBytes > largestItem) largestItem = itemBytes;
  }
  if (!WriteArchive(archive, indexPath)) {
    std::fprintf(stderr, "varnox-pack: can't write %s\n", indexPath.c_str());
    return 1;
  }
  std::printf("packed %zu files into %s; largest item with its unpacked size: %llu bytes\n", files.size(),
              indexPath.c_str(), static_cast<unsigned long long>(largestItem));
  return 0;
}
