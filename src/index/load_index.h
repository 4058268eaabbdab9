#pragma once

#include "index/archive_tables.h"

enum class LoadResult {
  Loaded,
  CantOpen,      // "error : cann't open %s."
  NotIndexFile,  // "error : %s isn't VARNO idx file."
  ReadFailed,    // a whole block came short: "error : can't read %s."
  NoMemory,      // the tables could not grow
};

// Opens the index file, prints "Reading archive info...", checks the mark
// and appends the used slots of every whole block to tables (empty on
// entry). Prints one error line on failure; the caller releases tables in
// every case.
LoadResult LoadIndex(const char* indexPath, ArchiveTables& tables);

// The part of LoadIndex after the open: the mark test and the blocks, for a
// file of measuredSize bytes as measured once at the start. Tests use it to
// present a file that shrank after it was measured.
LoadResult LoadOpenIndex(int fd, uint64_t measuredSize, const char* indexPath, ArchiveTables& tables);
