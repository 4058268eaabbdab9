// Linux side of the platform layer: the Windows calls the program makes,
// each over a few POSIX calls. Paths keep their Windows form inside the
// program; every backslash becomes '/' here, at the system boundary.
#include "platform/platform.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Copies path into buf with every '\' turned into '/'. False (errno
// ENAMETOOLONG) when it does not fit.
bool ToSystemPath(const char* path, char (&buf)[PATH_MAX]) {
  size_t i = 0;
  for (; path[i] != '\0'; ++i) {
    if (i + 1 >= sizeof buf) {
      errno = ENAMETOOLONG;
      return false;
    }
    buf[i] = path[i] == '\\' ? '/' : path[i];
  }
  buf[i] = '\0';
  return true;
}

// 100 ns ticks between 1601-01-01 and 1970-01-01.
constexpr int64_t FILETIME_UNIX_EPOCH = 116444736000000000;

// A stamp of 0 means "leave this time", as does one with the top bit set,
// which Windows refuses as a time.
timespec ToTimespec(const FILETIME* stamp) {
  timespec ts{};
  ts.tv_nsec = UTIME_OMIT;
  if (stamp == nullptr) return ts;
  uint64_t ticks = (uint64_t{stamp->dwHighDateTime} << 32) | stamp->dwLowDateTime;
  if (ticks == 0 || (ticks >> 63) != 0) return ts;
  int64_t sinceEpoch = static_cast<int64_t>(ticks) - FILETIME_UNIX_EPOCH;
  int64_t seconds = sinceEpoch / 10000000;
  int64_t rest = sinceEpoch % 10000000;
  if (rest < 0) {  // before 1970: floor, so that tv_nsec stays in [0, 1e9)
    rest += 10000000;
    seconds -= 1;
  }
  ts.tv_sec = static_cast<time_t>(seconds);
  ts.tv_nsec = static_cast<long>(rest * 100);
  return ts;
}

int HandleToFd(HANDLE handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle)); }

}  // namespace

DWORD GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
  if (size == 0) return 0;
  char target[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", target, sizeof target);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof target) return 0;
  // Like Windows: a path that does not fit is cut, terminated, and the
  // buffer size returned.
  size_t length = static_cast<size_t>(n);
  size_t copied = length < size ? length : size - 1;
  for (size_t i = 0; i < copied; ++i) buffer[i] = target[i] == '/' ? '\\' : target[i];
  buffer[copied] = '\0';
  return length < size ? static_cast<DWORD>(length) : size;
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
  char sys[PATH_MAX];
  return ToSystemPath(path, sys) && chdir(sys) == 0;
}

LPSTR lstrcpyA(LPSTR dest, LPCSTR src) { return std::strcpy(dest, src); }

DWORD GetFileAttributesA(LPCSTR path) {
  char sys[PATH_MAX];
  struct stat st;
  if (!ToSystemPath(path, sys) || stat(sys, &st) != 0) return INVALID_FILE_ATTRIBUTES;
  return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL CreateDirectoryA(LPCSTR path, void*) {
  char sys[PATH_MAX];
  return ToSystemPath(path, sys) && mkdir(sys, 0777) == 0;
}

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
  char sys[PATH_MAX];
  if (access != GENERIC_WRITE || disposition != OPEN_EXISTING) return INVALID_HANDLE_VALUE;
  if (!ToSystemPath(path, sys)) return INVALID_HANDLE_VALUE;
  int fd = open(sys, O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
}

BOOL SetFileTime(HANDLE file, const FILETIME*, const FILETIME* lastAccessTime,
                 const FILETIME* lastWriteTime) {
  timespec times[2] = {ToTimespec(lastAccessTime), ToTimespec(lastWriteTime)};
  if (times[0].tv_nsec == UTIME_OMIT && times[1].tv_nsec == UTIME_OMIT) return 1;
  return futimens(HandleToFd(file), times) == 0;
}

BOOL CloseHandle(HANDLE handle) { return close(HandleToFd(handle)) == 0; }

LPSTR PathAddBackslashA(LPSTR path) {
  size_t length = std::strlen(path);
  if (length > 0 && path[length - 1] == '\\') return path + length;
  if (length + 2 > MAX_PATH) return nullptr;
  path[length] = '\\';
  path[length + 1] = '\0';
  return path + length + 1;
}

int MakeDirectory(const char* path) {
  char sys[PATH_MAX];
  if (!ToSystemPath(path, sys)) {
    errno = ENOENT;
    return -1;
  }
  if (mkdir(sys, 0777) == 0) return 0;
  // The same failures the Windows runtime reports as ENOENT: a missing or
  // non-directory component, or a path too long to use.
  if (errno == ENOTDIR || errno == ENAMETOOLONG) errno = ENOENT;
  return -1;
}

// No separator byte occurs inside a UTF-8 character, so a byte search is
// a character search here.
char* FindCharMultibyte(char* text, char ch) { return std::strchr(text, ch); }

int OpenFileForReading(const char* path) {
  char sys[PATH_MAX];
  if (!ToSystemPath(path, sys)) return -1;
  int fd = open(sys, O_RDONLY | O_CLOEXEC);
  struct stat st;
  // Windows refuses to open a directory as a file; do the same.
  if (fd >= 0 && (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
    close(fd);
    return -1;
  }
  return fd;
}

int CreateFileForWriting(const char* path) {
  char sys[PATH_MAX];
  if (!ToSystemPath(path, sys)) return -1;
  return open(sys, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
}

int64_t FileSizeOf(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

int64_t ReadAt(int fd, uint64_t position, void* buffer, size_t length) {
  if (position > static_cast<uint64_t>(INT64_MAX)) return 0;
  char* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < length) {
    size_t want = length - done;
    if (want > 0x40000000) want = 0x40000000;  // keep each request well under SSIZE_MAX
    ssize_t n = pread(fd, out + done, want, static_cast<off_t>(position + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

bool WriteAll(int fd, const void* data, size_t length) {
  const char* in = static_cast<const char*>(data);
  while (length > 0) {
    size_t chunk = length > 0x40000000 ? 0x40000000 : length;
    ssize_t n = write(fd, in, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    in += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

bool CloseFile(int fd) { return close(fd) == 0; }

bool RemoveFile(const char* path) {
  char sys[PATH_MAX];
  return ToSystemPath(path, sys) && unlink(sys) == 0;
}

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }
