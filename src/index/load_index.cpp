#include "index/load_index.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace {

bool SlotIsUsed(const unsigned char* slot) {
  uint32_t firstWord;
  std::memcpy(&firstWord, slot, sizeof firstWord);
  return firstWord != 0;
}

// Appends the used slots among count slots of Record at bytes.
template <typename Record>
bool AppendUsedSlots(RecordList<Record>& list, const unsigned char* bytes, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    const unsigned char* slot = bytes + size_t{i} * sizeof(Record);
    if (!SlotIsUsed(slot)) continue;
    Record record;
    std::memcpy(&record, slot, sizeof record);
    if (!AppendRecord(list, record)) return false;
  }
  return true;
}

bool ReadFully(int fd, uint64_t position, void* buffer, size_t length) {
  return ReadAt(fd, position, buffer, length) == static_cast<int64_t>(length);
}

struct BlockBuffers {
  // Room for a whole entry piece after the bytes of a slot left incomplete
  // by the previous block (at most 19).
  unsigned char entries[ENTRY_PIECE_SIZE + sizeof(FileEntry)];
  unsigned char names[NAME_TABLE_SIZE];
  unsigned char locators[LOCATOR_TABLE_SIZE];
};

LoadResult ReadBlocks(int fd, uint64_t fileSize, BlockBuffers& buffers, ArchiveTables& tables) {
  uint32_t carry = 0;
  for (uint64_t start = INDEX_HEADER_SIZE; start + INDEX_BLOCK_SIZE <= fileSize;
       start += INDEX_BLOCK_SIZE) {
    if (!ReadFully(fd, start, buffers.entries + carry, ENTRY_PIECE_SIZE) ||
        !ReadFully(fd, start + NAME_TABLE_OFFSET, buffers.names, NAME_TABLE_SIZE) ||
        !ReadFully(fd, start + LOCATOR_TABLE_OFFSET, buffers.locators, LOCATOR_TABLE_SIZE)) {
      return LoadResult::ReadFailed;
    }
    uint32_t fill = ENTRY_PIECE_SIZE + carry;
    uint32_t slots = fill / sizeof(FileEntry);
    if (!AppendUsedSlots(tables.entries, buffers.entries, slots) ||
        !AppendUsedSlots(tables.names, buffers.names, NAME_SLOTS_PER_BLOCK) ||
        !AppendUsedSlots(tables.locators, buffers.locators, LOCATOR_SLOTS_PER_BLOCK)) {
      return LoadResult::NoMemory;
    }
    // The slot that runs into the next block's piece starts it.
    carry = fill % sizeof(FileEntry);
    std::memmove(buffers.entries, buffers.entries + (fill - carry), carry);
  }
  return LoadResult::Loaded;
}

}  // namespace

LoadResult LoadOpenIndex(int fd, uint64_t measuredSize, const char* indexPath, ArchiveTables& tables) {
  unsigned char mark[4];
  uint32_t markWord = 0;
  if (ReadFully(fd, 0, mark, sizeof mark)) std::memcpy(&markWord, mark, sizeof markWord);
  if (markWord != INDEX_MARK) {
    std::printf("error : %s isn't VARNO idx file.\n", indexPath);
    return LoadResult::NotIndexFile;
  }
  auto* buffers = static_cast<BlockBuffers*>(std::malloc(sizeof(BlockBuffers)));
  LoadResult result = buffers == nullptr ? LoadResult::NoMemory : ReadBlocks(fd, measuredSize, *buffers, tables);
  std::free(buffers);
  if (result == LoadResult::ReadFailed) std::printf("error : can't read %s.\n", indexPath);
  if (result == LoadResult::NoMemory) std::printf("error : not enough memory to read %s.\n", indexPath);
  return result;
}

LoadResult LoadIndex(const char* indexPath, ArchiveTables& tables) {
  int fd = OpenFileForReading(indexPath);
  if (fd < 0) {
    std::printf("error : cann't open %s.\n", indexPath);
    return LoadResult::CantOpen;
  }
  std::printf("Reading archive info...\n");
  int64_t size = FileSizeOf(fd);
  LoadResult result = LoadOpenIndex(fd, size < 0 ? 0 : static_cast<uint64_t>(size), indexPath, tables);
  CloseFile(fd);
  return result;
}
