#pragma once

// How a run ended, worst first in the order the exit status cares about.
enum class RunResult {
  AllWritten,         // every entry's file was written
  SomeSkipped,        // at least one entry was not written
  ArchiveUnreadable,  // index or data file could not be opened or read
  OutOfMemory,        // the run over the entries stopped for lack of memory
};

// Extracts every entry of the archive whose index file is indexPath under
// outputDir (empty, or ending with a backslash), printing one line per
// entry and a total line to standard output.
RunResult ExtractArchive(const char* indexPath, const char* outputDir);
