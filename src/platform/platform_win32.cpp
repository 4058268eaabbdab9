// Windows side of the platform layer. The Windows calls the program makes
// are the system's own (platform.h includes their headers); this file gives
// only the runtime facilities, over the C runtime's descriptor calls, in
// binary mode so that bytes pass unchanged.
#include "platform/platform.h"

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <mbstring.h>
#include <share.h>
#include <sys/stat.h>

#include <climits>
#include <cstdio>

// Arguments reach main as they were typed: the mingw-w64 start-up code
// expands no wildcards when this is 0.
extern "C" {
int _dowildcard = 0;
}

namespace {

// _read and _write take an unsigned count but report it as an int.
constexpr size_t MAX_REQUEST = INT_MAX;

}  // namespace

// The runtime's _mkdir reports the system errors of a missing or unusable
// path component (path not found, bad drive, name too long, ...) as ENOENT
// and an existing directory as EEXIST: the rule the parent walk relies on.
int MakeDirectory(const char* path) { return _mkdir(path); }

// Steps over double-byte characters of the process's code page, so that a
// trail byte of 0x5C is never taken for a separator.
char* FindCharMultibyte(char* text, char ch) {
  unsigned char* found = _mbschr(reinterpret_cast<unsigned char*>(text), static_cast<unsigned char>(ch));
  return reinterpret_cast<char*>(found);
}

// Other programs may go on reading and writing the archive meanwhile.
int OpenFileForReading(const char* path) { return _sopen(path, _O_RDONLY | _O_BINARY, _SH_DENYNO); }

int CreateFileForWriting(const char* path) {
  return _sopen(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _SH_DENYNO, _S_IREAD | _S_IWRITE);
}

int64_t FileSizeOf(int fd) { return _filelengthi64(fd); }

int64_t ReadAt(int fd, uint64_t position, void* buffer, size_t length) {
  if (position > static_cast<uint64_t>(INT64_MAX)) return 0;
  if (_lseeki64(fd, static_cast<__int64>(position), SEEK_SET) < 0) return -1;
  char* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < length) {
    size_t want = length - done < MAX_REQUEST ? length - done : MAX_REQUEST;
    int n = _read(fd, out + done, static_cast<unsigned int>(want));
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

bool WriteAll(int fd, const void* data, size_t length) {
  const char* in = static_cast<const char*>(data);
  while (length > 0) {
    size_t chunk = length < MAX_REQUEST ? length : MAX_REQUEST;
    int n = _write(fd, in, static_cast<unsigned int>(chunk));
    if (n <= 0) return false;
    in += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

bool CloseFile(int fd) { return _close(fd) == 0; }

bool RemoveFile(const char* path) { return _unlink(path) == 0; }

bool StdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }
