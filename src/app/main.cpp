// varnox [-x] INDEX [OUTDIR]: extracts every file of an archive.
//
// The program works from its own folder: relative paths resolve against
// the directory that holds the executable, wherever it is started from.
#include <cstdio>
#include <cstring>

#include "extract/extract_archive.h"
#include "platform/platform.h"
#include "util/make_directories.h"

namespace {

// Exit statuses, in the manner of common archivers.
constexpr int EXIT_ALL_WRITTEN = 0;
constexpr int EXIT_SOME_SKIPPED = 1;
constexpr int EXIT_ARCHIVE_UNREADABLE = 2;
constexpr int EXIT_COMMAND_LINE = 7;
constexpr int EXIT_OUT_OF_MEMORY = 8;

void EnterExecutableDirectory() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;  // unknown or cut: stay where we are
  char* lastBackslash = std::strrchr(path, '\\');
  if (lastBackslash == nullptr) return;
  lastBackslash[1] = '\0';
  SetCurrentDirectoryA(path);
}

// -x, -X, and anything longer that starts with them; /x and /X too, but
// where paths may begin with '/', only exactly those two.
bool IsSwitch(const char* arg) {
  if ((arg[0] != '/' && arg[0] != '-') || (arg[1] != 'x' && arg[1] != 'X')) return false;
  return arg[0] == '-' || !PATHS_MAY_BEGIN_WITH_SLASH || arg[2] == '\0';
}

int ExitStatusFor(RunResult result) {
  switch (result) {
    case RunResult::AllWritten: return EXIT_ALL_WRITTEN;
    case RunResult::SomeSkipped: return EXIT_SOME_SKIPPED;
    case RunResult::ArchiveUnreadable: return EXIT_ARCHIVE_UNREADABLE;
    case RunResult::OutOfMemory: return EXIT_OUT_OF_MEMORY;
  }
  return EXIT_SOME_SKIPPED;
}

}  // namespace

int main(int argc, char** argv) {
  EnterExecutableDirectory();

  int base = argc > 1 && IsSwitch(argv[1]) ? 2 : 1;
  if (argc <= base) return EXIT_COMMAND_LINE;
  const char* indexPath = argv[base];

  char outputDir[MAX_PATH] = "";
  if (argc > base + 1 && argv[base + 1][0] != '\0') {
    const char* arg = argv[base + 1];
    if (std::strlen(arg) >= MAX_PATH) {
      std::printf("error : %s is too long.\n", arg);
      return EXIT_COMMAND_LINE;
    }
    lstrcpyA(outputDir, arg);
    // A 259-byte text has no room for the backslash. Some PathAddBackslashA
    // implementations (Wine's) append it anyway, past the buffer: ask only
    // when it fits.
    if (std::strlen(outputDir) + 1 < MAX_PATH) PathAddBackslashA(outputDir);
    MakeOutputDirectory(outputDir);
  }
  return ExitStatusFor(ExtractArchive(indexPath, outputDir));
}
