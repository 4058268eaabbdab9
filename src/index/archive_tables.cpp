#include "index/archive_tables.h"

#include <cstdlib>

namespace {

template <typename Record>
bool Append(RecordList<Record>& list, const Record& record) {
  if (list.count == list.capacity) {
    if (list.capacity > UINT32_MAX / 2) return false;
    uint32_t capacity = list.capacity == 0 ? 256 : list.capacity * 2;
    void* grown = std::realloc(list.items, size_t{capacity} * sizeof(Record));
    if (grown == nullptr) return false;
    list.items = static_cast<Record*>(grown);
    list.capacity = capacity;
  }
  list.items[list.count++] = record;
  return true;
}

template <typename Record>
void Release(RecordList<Record>& list) {
  std::free(list.items);
  list = RecordList<Record>{};
}

}  // namespace

bool AppendRecord(RecordList<FileEntry>& list, const FileEntry& record) { return Append(list, record); }
bool AppendRecord(RecordList<NameSegment>& list, const NameSegment& record) { return Append(list, record); }
bool AppendRecord(RecordList<DataLocator>& list, const DataLocator& record) { return Append(list, record); }

void ReleaseArchiveTables(ArchiveTables& tables) {
  Release(tables.entries);
  Release(tables.names);
  Release(tables.locators);
}
