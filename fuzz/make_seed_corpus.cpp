// make_seed_corpus INDEX_SEEDS_DIR EXTRACT_SEEDS_DIR
//
// Writes the starting inputs of the two fuzz targets, made with the archive
// writer: index files for load_index_fuzz, and index and data pairs in the
// input layout of extract_archive_fuzz (32-bit little-endian index length,
// index, data). Each seed reaches a different part of the format, so that
// mutations start from inputs the code takes far.
#include <cstdio>
#include <string>
#include <vector>

#include "archive_writer.h"

using namespace archive_writer;

namespace {

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Pair(const IndexImage& index, const DataImage& data) {
  uint32_t n = static_cast<uint32_t>(index.bytes.size());
  Bytes input = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
                 static_cast<uint8_t>(n >> 24)};
  input.insert(input.end(), index.bytes.begin(), index.bytes.end());
  input.insert(input.end(), data.bytes.begin(), data.bytes.end());
  return input;
}

Bytes Pair(const ArchiveBuilder& archive) { return Pair(archive.index, archive.data); }

ArchiveBuilder Regular() {
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "readme.txt", Text("varnox seed"), {FileTimeFromUnixNanoseconds(1), FileTimeFromUnixNanoseconds(2),
                                                       FileTimeFromUnixNanoseconds(1600000000000000000)});
  AddFile(archive, "maps\\forest/level1.txt", Text(std::string(300, 'm')));
  AddFile(archive, "empty", {});
  AddFile(archive, std::string(70, 'n') + "\\long-name.bin", Text("two segments"));
  return archive;
}

ArchiveBuilder UnsafeNames() {
  ArchiveBuilder archive = NewArchiveBuilder();
  for (const char* name : {"..\\up.txt", "a/../../up.txt", "\\root.txt", "C:\\drive.txt", "ok\\..", "%s%n\x01", "safe"}) {
    AddFile(archive, name, Text("x"));
  }
  return archive;
}

// Links past the tables, loops, a name without text and one without a chain.
ArchiveBuilder OddChains() {
  ArchiveBuilder archive = NewArchiveBuilder();
  Bytes item = StoredItem(1, {}, ZlibStream(Text("c")));
  uint32_t locator = AddLocator(archive, static_cast<uint32_t>(item.size()), AppendItem(archive.data, item));
  PutNameSegment(archive.index, 0, CHAIN_END, "end");
  PutNameSegment(archive.index, 1, 2, std::string(60, 'a'));
  PutNameSegment(archive.index, 2, 0x80000001, std::string(60, 'b'));
  PutNameSegment(archive.index, 3, 0x80000000 | 900, std::string(60, 'c'));
  archive.nameCount = 4;
  for (uint32_t link : {0u, 1u, 3u, 500u, CHAIN_END}) AddEntry(archive, locator, link);
  AddEntry(archive, 77, 0);
  return archive;
}

// Items that can't be unpacked, next to one that can.
ArchiveBuilder FailingItems() {
  ArchiveBuilder archive = NewArchiveBuilder();
  Bytes stream = ZlibStream(Text("content"));
  Bytes badCheck = stream;
  badCheck.back() ^= 0xFF;
  AddFile(archive, "good", Text("g"));
  AddRawItem(archive, "bad-check", StoredItem(7, {}, badCheck));
  AddRawItem(archive, "too-small", StoredItem(6, {}, stream));
  AddRawItem(archive, "truncated", StoredItem(7, {}, Bytes(stream.begin(), stream.end() - 3)));
  AddEntry(archive, AddLocator(archive, 31, 0), AddName(archive, "short-locator"));
  AddEntry(archive, AddLocator(archive, 4096, 1000), AddName(archive, "past-end"));
  return archive;
}

// Sizes that can't be had: a 4 GiB output buffer, a 4 GiB item buffer.
ArchiveBuilder HugeSizes() {
  ArchiveBuilder archive = NewArchiveBuilder();
  AddFile(archive, "small", Text("s"));
  AddRawItem(archive, "huge-output", StoredItem(0xFFFFFF00, {}, ZlibStream(Text("small in fact"))));
  AddEntry(archive, AddLocator(archive, 0xFFFFFFF0, 0), AddName(archive, "huge-item"));
  return archive;
}

// Enough entries to run into the second block, one slot across the seam:
// for the loader, every slot filled.
ArchiveBuilder FullFirstBlock() {
  ArchiveBuilder archive = NewArchiveBuilder();
  for (int i = 0; i < 830; ++i) AddFile(archive, "f" + std::to_string(i), Text(std::to_string(i)));
  return archive;
}

// For a whole extraction, only the slots about the seam (empty slots are
// passed over), so that a run makes a few files, not hundreds.
ArchiveBuilder SlotsAcrossTheSeam() {
  ArchiveBuilder archive = NewArchiveBuilder();
  for (uint32_t slot : {0u, 818u, 819u, 820u}) {
    archive.entryCount = slot;
    AddFile(archive, "s" + std::to_string(slot), Text(std::to_string(slot)));
  }
  return archive;
}

bool Write(const std::string& dir, const std::string& name, const Bytes& bytes) {
  if (WriteBytes(dir + "/" + name, bytes)) return true;
  std::fprintf(stderr, "make_seed_corpus: can't write %s/%s\n", dir.c_str(), name.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_seed_corpus INDEX_SEEDS_DIR EXTRACT_SEEDS_DIR\n");
    return 2;
  }
  const std::string indexDir = argv[1], extractDir = argv[2];
  bool ok = true;

  IndexImage headerOnly = NewIndex(0);
  IndexImage partial = Regular().index;
  partial.bytes.resize(partial.bytes.size() + BLOCK / 2, 0x5A);
  ok &= Write(indexDir, "header-only", headerOnly.bytes);
  ok &= Write(indexDir, "not-an-index", Text("ABCd"));
  ok &= Write(indexDir, "regular", Regular().index.bytes);
  ok &= Write(indexDir, "odd-chains", OddChains().index.bytes);
  ok &= Write(indexDir, "two-blocks", FullFirstBlock().index.bytes);
  ok &= Write(indexDir, "block-and-a-half", partial.bytes);

  ok &= Write(extractDir, "regular", Pair(Regular()));
  ok &= Write(extractDir, "unsafe-names", Pair(UnsafeNames()));
  ok &= Write(extractDir, "odd-chains", Pair(OddChains()));
  ok &= Write(extractDir, "failing-items", Pair(FailingItems()));
  ok &= Write(extractDir, "huge-sizes", Pair(HugeSizes()));
  ok &= Write(extractDir, "two-blocks", Pair(SlotsAcrossTheSeam()));
  ok &= Write(extractDir, "no-data", Pair(Regular().index, DataImage{}));
  ok &= Write(extractDir, "header-only", Pair(headerOnly, DataImage{}));
  return ok ? 0 : 1;
}
