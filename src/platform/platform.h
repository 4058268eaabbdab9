// The few system calls varnox makes, behind one header.
//
// The program is written against the Windows calls it needs (path texts with
// backslashes, FILETIME stamps). On Windows they are the system's own; on
// Linux platform_posix.cpp gives each one the behaviour the program relies
// on, turning backslashes into '/' where a path meets the system. This is
// the only header with platform conditionals.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// Keeps <windows.h> from defining min and max as macros, which would break
// std::min and std::max in the shared code.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shlwapi.h>

// On Windows '/x' and '/xyz' are the switch: no path begins with '/'.
inline constexpr bool PATHS_MAY_BEGIN_WITH_SLASH = false;

// Windows drops the dots and spaces that end a file name and keeps the
// device names (CON, NUL, COM1, ...) in every folder.
inline constexpr bool WINDOWS_FILE_NAMES = true;

#else  // POSIX

typedef int BOOL;
typedef uint32_t DWORD;
typedef void* HANDLE;
typedef void* HMODULE;
typedef char* LPSTR;
typedef const char* LPCSTR;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INVALID_FILE_ATTRIBUTES ((DWORD)0xFFFFFFFF)
#define FILE_ATTRIBUTE_DIRECTORY 0x10u
#define FILE_ATTRIBUTE_NORMAL 0x80u
#define GENERIC_WRITE 0x40000000u
#define OPEN_EXISTING 3u

// Absolute paths begin with '/', so only "/x" and "/X" are taken for the switch.
inline constexpr bool PATHS_MAY_BEGIN_WITH_SLASH = true;

// A file name is the bytes it is made of: "..." and "CON" are names like any other.
inline constexpr bool WINDOWS_FILE_NAMES = false;

// The running executable's path, with '/' shown as '\'. Returns its length,
// 0 on failure, or size when the path was cut to fit.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
BOOL SetCurrentDirectoryA(LPCSTR path);
LPSTR lstrcpyA(LPSTR dest, LPCSTR src);
DWORD GetFileAttributesA(LPCSTR path);
BOOL CreateDirectoryA(LPCSTR path, void* securityAttributes);
// Supports what the program asks for: GENERIC_WRITE on an existing file.
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, void* securityAttributes,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
// Sets access and modification times; a stamp of 0 or with its top bit set
// leaves that time alone. Linux has no settable creation time.
BOOL SetFileTime(HANDLE file, const FILETIME* creationTime, const FILETIME* lastAccessTime,
                 const FILETIME* lastWriteTime);
BOOL CloseHandle(HANDLE handle);
// Appends '\' unless the text ends with one or the result would not fit MAX_PATH.
LPSTR PathAddBackslashA(LPSTR path);

#endif

// The runtime facilities, under names of our own on both systems.

// Creates one directory. 0 on success; -1 with errno set otherwise, where
// ENOENT means a component of the path is missing (or the path is unusable),
// so that creating deeper levels is pointless.
int MakeDirectory(const char* path);

// First occurrence of ch in text, stepping over whole characters of the
// process's multibyte code page; nullptr when absent.
char* FindCharMultibyte(char* text, char ch);

// Unbuffered binary files addressed by descriptor.
int OpenFileForReading(const char* path);           // -1 on failure
int CreateFileForWriting(const char* path);         // created or emptied; -1 on failure
int64_t FileSizeOf(int fd);                         // -1 on failure
// Reads up to length bytes at the absolute position; returns the count read
// (less at end of file), -1 on error.
int64_t ReadAt(int fd, uint64_t position, void* buffer, size_t length);
bool WriteAll(int fd, const void* data, size_t length);
bool CloseFile(int fd);
bool RemoveFile(const char* path);

bool StdoutIsTerminal();
