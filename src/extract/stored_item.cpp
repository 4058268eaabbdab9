#include "extract/stored_item.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

// unpackedSize + OUTPUT_SLACK and every item size must fit a buffer size.
static_assert(SIZE_MAX > UINT32_MAX);

ItemOutcome ReadStoredItem(int dataFile, const DataLocator& locator, unsigned char** item) {
  *item = nullptr;
  if (locator.storedLength < STORED_ITEM_HEADER_SIZE) return ItemOutcome::Failed;
  *item = static_cast<unsigned char*>(std::malloc(locator.storedLength));
  if (*item == nullptr) return ItemOutcome::NoMemory;
  uint64_t position = uint64_t{locator.sectorPos} * SECTOR_SIZE;
  int64_t got = ReadAt(dataFile, position, *item, locator.storedLength);
  return got == int64_t{locator.storedLength} ? ItemOutcome::Ok : ItemOutcome::Failed;
}

StoredItemHeader ItemHeader(const unsigned char* item) {
  StoredItemHeader header;
  std::memcpy(&header, item, sizeof header);
  return header;
}

ItemOutcome UnpackStoredItem(StreamDecoder* decoder, const unsigned char* item, uint32_t storedLength,
                             unsigned char** output, uint32_t* produced) {
  uint32_t unpackedSize = ItemHeader(item).unpackedSize;
  // calloc: a huge declared size costs nothing until the stream fills it.
  *output = static_cast<unsigned char*>(std::calloc(size_t{unpackedSize} + OUTPUT_SLACK, 1));
  if (*output == nullptr) return ItemOutcome::NoMemory;
  bool decoded = DecodeZlibStream(decoder, item + STORED_ITEM_HEADER_SIZE, storedLength - STORED_ITEM_HEADER_SIZE,
                                  *output, unpackedSize, produced);
  return decoded ? ItemOutcome::Ok : ItemOutcome::Failed;
}
