// The index in memory: three lists of records in file order, empty slots
// left out. A record's position is its rank in its list.
#pragma once

#include <cstdint>

#include "index/index_format.h"

// A growable array on the C heap, so that running out of memory is a
// result the caller sees rather than an exception.
template <typename Record>
struct RecordList {
  Record* items = nullptr;
  uint32_t count = 0;
  uint32_t capacity = 0;
};

// Appends one record; false when memory ran out (the list is unchanged).
bool AppendRecord(RecordList<FileEntry>& list, const FileEntry& record);
bool AppendRecord(RecordList<NameSegment>& list, const NameSegment& record);
bool AppendRecord(RecordList<DataLocator>& list, const DataLocator& record);

struct ArchiveTables {
  RecordList<FileEntry> entries;
  RecordList<NameSegment> names;
  RecordList<DataLocator> locators;
};

void ReleaseArchiveTables(ArchiveTables& tables);
