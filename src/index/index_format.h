// Layout of the index file.
//
// A 4,096-byte header area (only its first four bytes, the mark, are read)
// is followed by blocks of 0x11000 bytes. Each block holds a 16 KiB piece of
// the entry stream, a table of 512 name segments and a table of 256 data
// locators; its last 16 KiB are unused. The entry pieces joined together
// form one stream of 20-byte entries, so entries straddle block boundaries.
// In every table a slot whose first word is zero is empty.
#pragma once

#include <bit>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "records are copied byte for byte from little-endian files");

inline constexpr uint32_t INDEX_MARK = 0x44434241;  // "ABCD" read as a little-endian word
inline constexpr uint64_t INDEX_HEADER_SIZE = 0x1000;
inline constexpr uint64_t INDEX_BLOCK_SIZE = 0x11000;
inline constexpr uint32_t ENTRY_PIECE_SIZE = 0x4000;
inline constexpr uint32_t NAME_TABLE_OFFSET = 0x4000;
inline constexpr uint32_t NAME_TABLE_SIZE = 0x8000;
inline constexpr uint32_t LOCATOR_TABLE_OFFSET = 0xC000;
inline constexpr uint32_t LOCATOR_TABLE_SIZE = 0x1000;

// Ends a name chain; as an entry's nameLink, marks an entry without a name.
inline constexpr uint32_t NAME_END = 0x80000000;
// Any other link names a segment by its low 31 bits.
inline constexpr uint32_t LINK_POSITION_MASK = 0x7FFFFFFF;
inline constexpr uint32_t NAME_SEGMENT_TEXT_SIZE = 60;
// Stored items start at multiples of this in the data file.
inline constexpr uint64_t SECTOR_SIZE = 512;

// One archived file. Fields named unknown* are kept but never interpreted.
struct FileEntry {
  uint32_t locatorPos;  // position in locators; 0 marks an empty slot
  uint32_t unknown4;
  uint32_t nameLink;    // first segment of the name, or NAME_END
  uint32_t unknown12;
  uint32_t unknown16;
};

// One piece of a name.
struct NameSegment {
  uint32_t nextLink;  // next segment, NAME_END at the last; 0 marks an empty slot
  char text[NAME_SEGMENT_TEXT_SIZE];
};

// Where one stored item lies in the data file.
struct DataLocator {
  uint32_t slotMark;      // non-zero in a used slot
  uint32_t storedLength;  // header and zlib stream
  uint32_t sectorPos;     // item starts at sectorPos * SECTOR_SIZE
  uint32_t unknown12;
};

static_assert(sizeof(FileEntry) == 20);
static_assert(sizeof(NameSegment) == 64);
static_assert(sizeof(DataLocator) == 16);

inline constexpr uint32_t NAME_SLOTS_PER_BLOCK = NAME_TABLE_SIZE / sizeof(NameSegment);
inline constexpr uint32_t LOCATOR_SLOTS_PER_BLOCK = LOCATOR_TABLE_SIZE / sizeof(DataLocator);
