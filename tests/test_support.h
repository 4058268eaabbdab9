// Helpers shared by the tests: temporary folders, file contents, streams.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive_writer.h"

namespace test_support {

using archive_writer::Bytes;

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it
// when the object goes.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string path;
  std::string operator/(std::string_view name) const { return path + "/" + std::string(name); }
};

Bytes ToBytes(std::string_view text);
// Content of a file; `exists` false when it can't be read.
Bytes ReadFileBytes(const std::string& path, bool* exists = nullptr);
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
// Deterministic pseudo-random bytes.
Bytes RandomBytes(size_t size, uint32_t seed);

// A deflate stream with the given zlib windowBits (15 zlib, -15 raw,
// 31 gzip), optionally with a preset dictionary.
Bytes DeflateStream(const Bytes& content, int windowBits, std::string_view dictionary = {});

// The whole tree below root: relative path -> "d" for a directory, or the
// file's content with its size and modification time.
std::vector<std::string> Snapshot(const std::string& root);

}  // namespace test_support
