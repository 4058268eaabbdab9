#include "extract/data_file_path.h"

#include <cstring>

#include "util/make_directories.h"

size_t DataFilePathCapacity(const char* indexPath) { return std::strlen(indexPath) + sizeof ".dat"; }

void DataFilePath(const char* indexPath, char* out) {
  size_t length = std::strlen(indexPath);
  size_t nameStart = 0;
  for (size_t i = 0; i < length; ++i) {
    if (IsPathSeparator(indexPath[i])) nameStart = i + 1;
  }
  size_t extensionStart = length;
  for (size_t i = nameStart; i < length; ++i) {
    if (indexPath[i] == '.') extensionStart = i;
  }
  std::memcpy(out, indexPath, extensionStart);
  std::memcpy(out + extensionStart, ".dat", sizeof ".dat");
}
