// Stored items in the data file: a 32-byte header with the file's size and
// times, then the file's content as a zlib stream.
#pragma once

#include <cstdint>

#include "extract/stream_decoder.h"
#include "index/index_format.h"
#include "platform/platform.h"

struct StoredItemHeader {
  uint32_t unknown0;
  uint32_t unpackedSize;  // output limit; the stream may produce less
  FILETIME creationTime;
  FILETIME lastAccessTime;
  FILETIME lastWriteTime;
};
static_assert(sizeof(StoredItemHeader) == 32);

inline constexpr uint32_t STORED_ITEM_HEADER_SIZE = sizeof(StoredItemHeader);
// Slack after the unpacked bytes in every output buffer.
inline constexpr uint32_t OUTPUT_SLACK = 256;

enum class ItemOutcome {
  Ok,
  Failed,    // this file can't be extracted; the run goes on
  NoMemory,  // no buffer for it; the run stops
};

// Reads the stored item that locator points at into a new heap buffer of
// storedLength bytes (*item; the caller frees it in every outcome). Failed
// when storedLength leaves no room for the header or the data file ends
// before the item does.
ItemOutcome ReadStoredItem(int dataFile, const DataLocator& locator, unsigned char** item);

StoredItemHeader ItemHeader(const unsigned char* item);

// Unpacks an item read by ReadStoredItem into a new zeroed heap buffer of
// unpackedSize + OUTPUT_SLACK bytes (*output; the caller frees it in every
// outcome). On Ok, *produced holds the number of bytes the stream gave.
ItemOutcome UnpackStoredItem(StreamDecoder* decoder, const unsigned char* item, uint32_t storedLength,
                             unsigned char** output, uint32_t* produced);
