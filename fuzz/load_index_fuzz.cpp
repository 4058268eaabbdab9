// The index loader over arbitrary bytes: the input is the whole index file.
//
// Besides what the sanitizers catch, every run checks what the loader
// promises: a file that doesn't begin with the mark is refused, any other is
// loaded (it can't shrink while read here), no empty slot is kept, and no
// table holds more records than the whole blocks of the file have slots.
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "index/load_index.h"

namespace {

int indexFd = -1;
std::string indexPath;

template <typename Record>
void CheckList(const RecordList<Record>& list, uint64_t slots, const char* table) {
  if (list.count > slots) fuzz::Fail("more records than slots in", table);
  for (uint32_t i = 0; i < list.count; ++i) {
    uint32_t firstWord;
    std::memcpy(&firstWord, &list.items[i], sizeof firstWord);
    if (firstWord == 0) fuzz::Fail("an empty slot was kept in", table);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SilenceStdout();
  // A file in memory, opened by the loader through its /proc path like any other.
  indexFd = memfd_create("varnox-index", MFD_CLOEXEC);
  if (indexFd < 0) fuzz::Fail("memfd_create failed");
  indexPath = "/proc/self/fd/" + std::to_string(indexFd);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (ftruncate(indexFd, 0) != 0 || (size > 0 && pwrite(indexFd, data, size, 0) != static_cast<ssize_t>(size))) {
    fuzz::Fail("can't write the index to memory");
  }
  ArchiveTables tables;
  LoadResult result = LoadIndex(indexPath.c_str(), tables);

  bool marked = size >= 4 && std::memcmp(data, "ABCD", 4) == 0;
  if (result != (marked ? LoadResult::Loaded : LoadResult::NotIndexFile) && result != LoadResult::NoMemory) {
    fuzz::Fail("unexpected load result", std::to_string(static_cast<int>(result)));
  }
  uint64_t blocks = size < INDEX_HEADER_SIZE ? 0 : (size - INDEX_HEADER_SIZE) / INDEX_BLOCK_SIZE;
  // Entry slots run on across the pieces of the blocks.
  CheckList(tables.entries, blocks * ENTRY_PIECE_SIZE / sizeof(FileEntry), "entries");
  CheckList(tables.names, blocks * NAME_SLOTS_PER_BLOCK, "names");
  CheckList(tables.locators, blocks * LOCATOR_SLOTS_PER_BLOCK, "locators");
  ReleaseArchiveTables(tables);
  return 0;
}
