#include "archive_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace archive_writer {

namespace {

void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutLE64(uint8_t* p, uint64_t v) {
  PutLE32(p, static_cast<uint32_t>(v));
  PutLE32(p + 4, static_cast<uint32_t>(v >> 32));
}

// Smallest block count whose region contains [offset, offset + length).
uint32_t BlocksToHold(uint64_t offset, uint64_t length) {
  uint64_t end = offset + length;
  if (end <= HEADER_AREA) return 0;
  return static_cast<uint32_t>((end - HEADER_AREA + BLOCK - 1) / BLOCK);
}

}  // namespace

uint64_t BlockStart(uint32_t k) { return HEADER_AREA + uint64_t{k} * BLOCK; }

uint64_t EntryStreamOffset(uint64_t i) {
  return BlockStart(static_cast<uint32_t>(i / ENTRY_PIECE)) + i % ENTRY_PIECE;
}

uint64_t NameSlotOffset(uint32_t slot) {
  return BlockStart(slot / NAME_SLOTS_PER_BLOCK) + 0x4000 + uint64_t{slot % NAME_SLOTS_PER_BLOCK} * 64;
}

uint64_t LocatorSlotOffset(uint32_t slot) {
  return BlockStart(slot / LOCATOR_SLOTS_PER_BLOCK) + 0xC000 + uint64_t{slot % LOCATOR_SLOTS_PER_BLOCK} * 16;
}

IndexImage NewIndex(uint32_t blocks) {
  IndexImage index;
  index.bytes.assign(HEADER_AREA, 0);
  std::memcpy(index.bytes.data(), "ABCD", 4);
  EnsureBlocks(index, blocks);
  return index;
}

void EnsureBlocks(IndexImage& index, uint32_t blocks) {
  uint64_t size = BlockStart(blocks);
  if (index.bytes.size() < size) index.bytes.resize(size, 0);
}

uint32_t BlockCount(const IndexImage& index) {
  if (index.bytes.size() < HEADER_AREA + BLOCK) return 0;
  return static_cast<uint32_t>((index.bytes.size() - HEADER_AREA) / BLOCK);
}

void PutWord(IndexImage& index, uint64_t offset, uint32_t value) {
  if (index.bytes.size() < offset + 4) index.bytes.resize(offset + 4, 0);
  PutLE32(index.bytes.data() + offset, value);
}

void PutEntry(IndexImage& index, uint32_t slot, const EntryWords& entry) {
  uint8_t raw[20];
  PutLE32(raw, entry.locatorPos);
  PutLE32(raw + 4, entry.word4);
  PutLE32(raw + 8, entry.nameLink);
  PutLE32(raw + 12, entry.word12);
  PutLE32(raw + 16, entry.word16);
  uint64_t first = uint64_t{slot} * 20;
  EnsureBlocks(index, BlocksToHold(EntryStreamOffset(first + 19), 1));
  // Byte by byte: the slot may run from one block's piece into the next.
  for (uint64_t i = 0; i < 20; ++i) index.bytes[EntryStreamOffset(first + i)] = raw[i];
}

void PutNameSegment(IndexImage& index, uint32_t slot, uint32_t nextLink, std::string_view text) {
  uint64_t offset = NameSlotOffset(slot);
  EnsureBlocks(index, BlocksToHold(offset, 64));
  uint8_t* p = index.bytes.data() + offset;
  PutLE32(p, nextLink);
  std::memset(p + 4, 0, SEGMENT_TEXT);
  // std::copy: an empty text may have no data pointer, which memcpy must not get.
  std::copy_n(text.begin(), text.size() < SEGMENT_TEXT ? text.size() : SEGMENT_TEXT, p + 4);
}

void PutLocator(IndexImage& index, uint32_t slot, uint32_t storedLength, uint32_t sectorPos, uint32_t slotMark,
                uint32_t word12) {
  uint64_t offset = LocatorSlotOffset(slot);
  EnsureBlocks(index, BlocksToHold(offset, 16));
  uint8_t* p = index.bytes.data() + offset;
  PutLE32(p, slotMark);
  PutLE32(p + 4, storedLength);
  PutLE32(p + 8, sectorPos);
  PutLE32(p + 12, word12);
}

uint64_t FileTimeFromUnixNanoseconds(int64_t ns) {
  // Floor division, so that times before 1970 land on the right tick.
  int64_t ticks = ns / 100;
  if (ns % 100 < 0) --ticks;
  return static_cast<uint64_t>(ticks + 116444736000000000);
}

Bytes ZlibStream(const Bytes& content, int level) {
  uLongf length = compressBound(static_cast<uLong>(content.size()));
  Bytes stream(length);
  compress2(stream.data(), &length, content.data(), static_cast<uLong>(content.size()), level);
  stream.resize(length);
  return stream;
}

Bytes StoredItem(uint32_t unpackedSize, const FileTimes& times, const Bytes& stream, uint32_t word0) {
  Bytes item(32 + stream.size());
  PutLE32(item.data(), word0);
  PutLE32(item.data() + 4, unpackedSize);
  PutLE64(item.data() + 8, times.creation);
  PutLE64(item.data() + 16, times.lastAccess);
  PutLE64(item.data() + 24, times.lastWrite);
  std::copy(stream.begin(), stream.end(), item.begin() + 32);
  return item;
}

uint32_t AppendItem(DataImage& data, const Bytes& item) {
  uint32_t sector = static_cast<uint32_t>((data.bytes.size() + SECTOR - 1) / SECTOR);
  PutItem(data, sector, item);
  return sector;
}

void PutItem(DataImage& data, uint32_t sectorPos, const Bytes& item) {
  uint64_t start = uint64_t{sectorPos} * SECTOR;
  if (data.bytes.size() < start + item.size()) data.bytes.resize(start + item.size(), 0);
  std::copy(item.begin(), item.end(), data.bytes.begin() + static_cast<ptrdiff_t>(start));
}

ArchiveBuilder NewArchiveBuilder(int level) {
  ArchiveBuilder archive;
  archive.index = NewIndex(0);
  archive.level = level;
  AddLocator(archive, 0, 0);
  return archive;
}

uint32_t AddName(ArchiveBuilder& archive, std::string_view name) {
  if (name.empty()) return CHAIN_END;
  uint32_t first = archive.nameCount;
  for (size_t at = 0; at < name.size(); at += SEGMENT_TEXT) {
    bool last = at + SEGMENT_TEXT >= name.size();
    uint32_t slot = archive.nameCount++;
    PutNameSegment(archive.index, slot, last ? CHAIN_END : slot + 1, name.substr(at, SEGMENT_TEXT));
  }
  return first;
}

uint32_t AddLocator(ArchiveBuilder& archive, uint32_t storedLength, uint32_t sectorPos) {
  uint32_t slot = archive.locatorCount++;
  PutLocator(archive.index, slot, storedLength, sectorPos);
  return slot;
}

uint32_t AddEntry(ArchiveBuilder& archive, uint32_t locatorPos, uint32_t nameLink) {
  uint32_t slot = archive.entryCount++;
  EntryWords entry;
  entry.locatorPos = locatorPos;
  entry.nameLink = nameLink;
  PutEntry(archive.index, slot, entry);
  return slot;
}

uint32_t AddRawItem(ArchiveBuilder& archive, std::string_view name, const Bytes& item) {
  uint32_t sector = AppendItem(archive.data, item);
  uint32_t locator = AddLocator(archive, static_cast<uint32_t>(item.size()), sector);
  return AddEntry(archive, locator, AddName(archive, name));
}

uint32_t AddFile(ArchiveBuilder& archive, std::string_view name, const Bytes& content, const FileTimes& times) {
  Bytes item = StoredItem(static_cast<uint32_t>(content.size()), times, ZlibStream(content, archive.level));
  return AddRawItem(archive, name, item);
}

std::string DataPathFor(const std::string& indexPath) {
  size_t nameStart = indexPath.find_last_of("/\\");
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  size_t dot = indexPath.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return indexPath + ".dat";
  return indexPath.substr(0, dot) + ".dat";
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool WriteArchive(const IndexImage& index, const DataImage& data, const std::string& indexPath) {
  return WriteBytes(indexPath, index.bytes) && WriteBytes(DataPathFor(indexPath), data.bytes);
}

bool WriteArchive(const ArchiveBuilder& archive, const std::string& indexPath) {
  return WriteArchive(archive.index, archive.data, indexPath);
}

}  // namespace archive_writer
