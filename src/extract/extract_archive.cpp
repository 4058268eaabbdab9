#include "extract/extract_archive.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "extract/data_file_path.h"
#include "extract/entry_name.h"
#include "extract/stored_item.h"
#include "index/load_index.h"
#include "platform/platform.h"
#include "util/count_format.h"
#include "util/make_directories.h"

namespace {

enum class EntryResult { Written, Skipped, Stop };

struct ExtractionRun {
  const ArchiveTables* tables;
  int dataFile;
  StreamDecoder* decoder;
  const char* outputDir;
  bool flushNames;
  uint64_t byteTotal;
  // The folder the last file was created in: it and the folders above it
  // exist, so the next file's walk starts below what it shares with them.
  char lastFolder[MAX_PATH];
};

void RememberFolderOf(ExtractionRun& run, const char* path) {
  size_t end = 0;
  for (size_t i = 0; path[i] != '\0'; ++i) {
    if (IsPathSeparator(path[i])) end = i;
  }
  std::memcpy(run.lastFolder, path, end);
  run.lastFolder[end] = '\0';
}

// Writes the file, closes it, then gives it the item's times. A file that
// could not be written whole is removed, so that no partial file remains.
bool WriteExtractedFile(ExtractionRun& run, char* path, const unsigned char* data, uint32_t size,
                        const StoredItemHeader& header) {
  if (MakeParentDirectoriesBelow(path, SharedDirectoryPrefix(path, run.lastFolder)) != 0) return false;
  int fd = CreateFileForWriting(path);
  if (fd < 0) return false;
  RememberFolderOf(run, path);
  bool written = WriteAll(fd, data, size);
  if (!CloseFile(fd)) written = false;
  if (!written) {
    RemoveFile(path);
    return false;
  }
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    SetFileTime(file, &header.creationTime, &header.lastAccessTime, &header.lastWriteTime);
    CloseHandle(file);
  }
  return true;
}

// Reads, unpacks and writes the item of an entry whose name passed every
// check. *produced is the size written on success.
EntryResult ExtractItem(ExtractionRun& run, const DataLocator& locator, char* outputPath, uint32_t* produced) {
  unsigned char* item = nullptr;
  unsigned char* output = nullptr;
  EntryResult result = EntryResult::Skipped;
  ItemOutcome read = ReadStoredItem(run.dataFile, locator, &item);
  if (read == ItemOutcome::NoMemory) {
    result = EntryResult::Stop;
  } else if (read == ItemOutcome::Ok) {
    ItemOutcome unpacked = UnpackStoredItem(run.decoder, item, locator.storedLength, &output, produced);
    if (unpacked == ItemOutcome::NoMemory) {
      result = EntryResult::Stop;
    } else if (unpacked == ItemOutcome::Ok && WriteExtractedFile(run, outputPath, output, *produced, ItemHeader(item))) {
      result = EntryResult::Written;
    }
  }
  std::free(output);
  std::free(item);
  return result;
}

// One entry's line: its name, then " <size> bytes" once the file is
// written, then the line end, unless the run has to stop.
EntryResult ExtractEntry(ExtractionRun& run, uint32_t position) {
  const ArchiveTables& tables = *run.tables;
  const FileEntry& entry = tables.entries.items[position];
  char name[NAME_BUFFER_SIZE];
  NameResult resolved = ResolveName(entry.nameLink, tables.names, name);
  std::printf("%s", name);
  if (run.flushNames) std::fflush(stdout);

  // Nothing is read for an entry that could not be written safely anyway.
  size_t dirLength = std::strlen(run.outputDir);
  size_t nameLength = std::strlen(name);
  EntryResult result = EntryResult::Skipped;
  if (resolved == NameResult::Complete && nameLength > 0 && IsSafeName(name, WINDOWS_FILE_NAMES) &&
      entry.locatorPos < tables.locators.count && dirLength + nameLength < MAX_PATH) {
    char outputPath[MAX_PATH];
    std::memcpy(outputPath, run.outputDir, dirLength);
    std::memcpy(outputPath + dirLength, name, nameLength + 1);
    uint32_t produced = 0;
    result = ExtractItem(run, tables.locators.items[entry.locatorPos], outputPath, &produced);
    if (result == EntryResult::Written) {
      std::printf(" %s bytes", FormatCount(produced));
      run.byteTotal += produced;
    }
  }
  if (result != EntryResult::Stop) std::printf("\n");
  return result;
}

RunResult ExtractEntries(const ArchiveTables& tables, int dataFile, const char* outputDir) {
  ExtractionRun run{&tables, dataFile, CreateStreamDecoder(), outputDir, StdoutIsTerminal(), 0, ""};
  RunResult result = run.decoder == nullptr ? RunResult::OutOfMemory : RunResult::AllWritten;
  for (uint32_t position = 0; run.decoder != nullptr && position < tables.entries.count; ++position) {
    EntryResult entry = ExtractEntry(run, position);
    if (entry == EntryResult::Stop) {
      result = RunResult::OutOfMemory;
      break;
    }
    if (entry == EntryResult::Skipped) result = RunResult::SomeSkipped;
  }
  FreeStreamDecoder(run.decoder);
  std::printf("Total : ");
  std::printf("%s files ", FormatCount(tables.entries.count));
  std::printf("%s bytes", FormatCount64(static_cast<int64_t>(run.byteTotal)));
  std::printf("\n");
  return result;
}

RunResult ExtractWithTables(const char* indexPath, const char* outputDir, ArchiveTables& tables) {
  LoadResult loaded = LoadIndex(indexPath, tables);
  if (loaded == LoadResult::NoMemory) return RunResult::OutOfMemory;
  if (loaded != LoadResult::Loaded) return RunResult::ArchiveUnreadable;

  char* dataPath = static_cast<char*>(std::malloc(DataFilePathCapacity(indexPath)));
  if (dataPath == nullptr) return RunResult::OutOfMemory;
  DataFilePath(indexPath, dataPath);
  // Data file paths share the system's path limit.
  int dataFile = std::strlen(dataPath) < MAX_PATH ? OpenFileForReading(dataPath) : -1;
  if (dataFile < 0) std::printf("error : cann't open %s.\n", dataPath);
  std::free(dataPath);
  if (dataFile < 0) return RunResult::ArchiveUnreadable;

  RunResult result = ExtractEntries(tables, dataFile, outputDir);
  CloseFile(dataFile);
  return result;
}

}  // namespace

RunResult ExtractArchive(const char* indexPath, const char* outputDir) {
  ArchiveTables tables;
  RunResult result = ExtractWithTables(indexPath, outputDir, tables);
  ReleaseArchiveTables(tables);
  std::fflush(stdout);
  return result;
}
