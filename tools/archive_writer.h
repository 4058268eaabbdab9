// Writes archives of the index + data file format, for tests, the demo and
// the benchmark. Besides a regular archive (AddFile), it lays out odd ones
// slot by slot: empty slots, any links, hand-made items at any sector.
//
// The layout arithmetic here is written from the format on its own, not
// shared with the reader, so that one mistake in both cannot hide itself;
// tests/archive_writer_layout_test.cpp checks it against literal offsets.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace archive_writer {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t CHAIN_END = 0x80000000;  // ends a name chain; as a nameLink: no name
constexpr uint32_t SEGMENT_TEXT = 60;
constexpr uint32_t SECTOR = 512;
constexpr uint64_t HEADER_AREA = 0x1000;
constexpr uint64_t BLOCK = 0x11000;
constexpr uint32_t ENTRY_PIECE = 0x4000;
constexpr uint32_t NAME_SLOTS_PER_BLOCK = 512;
constexpr uint32_t LOCATOR_SLOTS_PER_BLOCK = 256;

// File offset where block k starts.
uint64_t BlockStart(uint32_t k);
// File offset of byte i of the entry stream (the joined entry pieces).
uint64_t EntryStreamOffset(uint64_t i);
// File offsets of name slot s and locator slot s, counted over all blocks.
uint64_t NameSlotOffset(uint32_t slot);
uint64_t LocatorSlotOffset(uint32_t slot);

// ---- index file, slot by slot ----

struct IndexImage {
  Bytes bytes;
};

// The mark, then `blocks` whole blocks of empty slots.
IndexImage NewIndex(uint32_t blocks = 0);
// Grows the image to at least `blocks` whole blocks.
void EnsureBlocks(IndexImage& index, uint32_t blocks);
uint32_t BlockCount(const IndexImage& index);

void PutWord(IndexImage& index, uint64_t offset, uint32_t value);

struct EntryWords {
  uint32_t locatorPos = 0;
  uint32_t word4 = 0;
  uint32_t nameLink = CHAIN_END;
  uint32_t word12 = 0;
  uint32_t word16 = 0;
};
inline EntryWords Entry(uint32_t locatorPos, uint32_t nameLink = CHAIN_END) {
  EntryWords entry;
  entry.locatorPos = locatorPos;
  entry.nameLink = nameLink;
  return entry;
}
// Writes entry slot `slot` (20 bytes of the stream, possibly across two
// blocks), growing the image as needed.
void PutEntry(IndexImage& index, uint32_t slot, const EntryWords& entry);
// Name slot: nextLink, then up to 60 bytes of text, zero-padded.
void PutNameSegment(IndexImage& index, uint32_t slot, uint32_t nextLink, std::string_view text);
void PutLocator(IndexImage& index, uint32_t slot, uint32_t storedLength, uint32_t sectorPos,
                uint32_t slotMark = 1, uint32_t word12 = 0);

// ---- data file ----

struct FileTimes {
  uint64_t creation = 0;
  uint64_t lastAccess = 0;
  uint64_t lastWrite = 0;
};

// FILETIME (100 ns ticks since 1601) of a Unix time in nanoseconds.
uint64_t FileTimeFromUnixNanoseconds(int64_t ns);

Bytes ZlibStream(const Bytes& content, int level = 6);
// A stored item: word0, unpackedSize, the three times, then the stream.
Bytes StoredItem(uint32_t unpackedSize, const FileTimes& times, const Bytes& stream, uint32_t word0 = 0);

struct DataImage {
  Bytes bytes;
};
// Appends at the next sector boundary; returns the item's sector position.
uint32_t AppendItem(DataImage& data, const Bytes& item);
// Places an item at a given sector, growing (zero-filled) as needed.
void PutItem(DataImage& data, uint32_t sectorPos, const Bytes& item);

// ---- a regular archive, tables filled from the front ----

struct ArchiveBuilder {
  IndexImage index;
  DataImage data;
  uint32_t entryCount = 0;
  uint32_t nameCount = 0;
  uint32_t locatorCount = 0;
  int level = 6;
};

// Locator slot 0 is taken by a placeholder: an entry's locatorPos of 0
// would mark its slot empty, so no entry can use it.
ArchiveBuilder NewArchiveBuilder(int level = 6);
// Cuts name into 60-byte segments chained by links; returns the first
// link, or CHAIN_END for an empty name.
uint32_t AddName(ArchiveBuilder& archive, std::string_view name);
uint32_t AddLocator(ArchiveBuilder& archive, uint32_t storedLength, uint32_t sectorPos);
uint32_t AddEntry(ArchiveBuilder& archive, uint32_t locatorPos, uint32_t nameLink);
// Name, compressed item and entry for one file; returns the entry slot.
uint32_t AddFile(ArchiveBuilder& archive, std::string_view name, const Bytes& content,
                 const FileTimes& times = {});
// The same with a stored item made by hand.
uint32_t AddRawItem(ArchiveBuilder& archive, std::string_view name, const Bytes& item);

// "dir/pack.idx" -> "dir/pack.dat"; a name without extension gains ".dat".
std::string DataPathFor(const std::string& indexPath);
bool WriteBytes(const std::string& path, const Bytes& bytes);
bool WriteArchive(const ArchiveBuilder& archive, const std::string& indexPath);
bool WriteArchive(const IndexImage& index, const DataImage& data, const std::string& indexPath);

}  // namespace archive_writer
