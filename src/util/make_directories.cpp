#include "util/make_directories.h"

#include <cerrno>
#include <cstring>

#include "platform/platform.h"

bool MakeOutputDirectory(const char* text) {
  char path[MAX_PATH];
  if (std::strlen(text) >= sizeof path) return false;
  lstrcpyA(path, text);
  if (path[0] == '\0') return false;
  // A 259-byte text gets no backslash: it would not fit, and some
  // PathAddBackslashA implementations (Wine's) append it past the buffer.
  if (std::strlen(path) + 1 < sizeof path) PathAddBackslashA(path);

  // Separators become '/' cut points from the fourth byte on, so that the
  // root of C:\ is left alone.
  if (std::strlen(path) >= 3) {
    for (char* p = FindCharMultibyte(path + 3, '\\'); p != nullptr; p = FindCharMultibyte(p + 1, '\\')) {
      *p = '/';
    }
  }
  // \\server\share is one level: the first cut joins back.
  if (path[0] == '\\') {
    char* first = FindCharMultibyte(path, '/');
    if (first != nullptr) *first = '\\';
  }

  for (char* cut = FindCharMultibyte(path, '/'); cut != nullptr; cut = FindCharMultibyte(path, '/')) {
    *cut = '\0';
    if (path[0] != '\0') {
      DWORD attributes = GetFileAttributesA(path);
      bool isDirectory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (!isDirectory && !CreateDirectoryA(path, nullptr)) return false;
    }
    *cut = '\\';
  }
  return true;
}

int MakeParentDirectories(char* path) { return MakeParentDirectoriesBelow(path, 0); }

int MakeParentDirectoriesBelow(char* path, size_t existing) {
  // Separators still to cut at become '/'; those of the existing part,
  // which is not walked again, become '\\' at once.
  for (size_t i = 0; path[i] != '\0'; ++i) {
    if (IsPathSeparator(path[i])) path[i] = i <= existing && existing > 0 ? '\\' : '/';
  }
  for (char* cut = std::strchr(path, '/'); cut != nullptr; cut = std::strchr(path, '/')) {
    *cut = '\0';
    // Existing levels fail with EEXIST and the walk goes on; only a
    // missing component makes deeper levels hopeless.
    if (path[0] != '\0' && MakeDirectory(path) != 0 && errno == ENOENT) return -1;
    *cut = '\\';
  }
  return 0;
}

size_t SharedDirectoryPrefix(const char* path, const char* directory) {
  size_t shared = 0;
  for (size_t i = 0;; ++i) {
    bool directoryEnds = directory[i] == '\0';
    bool separator = IsPathSeparator(path[i]);
    if (separator && (directoryEnds || IsPathSeparator(directory[i]))) shared = i;
    if (directoryEnds || path[i] == '\0') break;
    if (path[i] != directory[i] && !(separator && IsPathSeparator(directory[i]))) break;
  }
  return shared;
}
