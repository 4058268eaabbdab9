// Creating the directories a path names, one level at a time from the top.
// Both routines treat '\' and '/' alike, and pass over the empty level that
// a path beginning with a separator yields first.
#pragma once

#include <cstddef>

// Backslash and slash both separate the levels of a path.
inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

// Creates the output directory text and every level above it. False when
// the text is empty or a level neither exists as a directory nor can be
// created (levels made before it stay). The first three bytes are never
// cut, so a drive root such as C:\ is not tested; a text beginning with
// '\' keeps its first two levels together (\\server\share).
bool MakeOutputDirectory(const char* text);

// Creates every directory above the file that path names (not the file's
// own name), working on path in place. Returns 0, with every separator now
// a backslash; or -1 when a level could not be made because a component is
// missing, with path cut to that level.
int MakeParentDirectories(char* path);

// The same walk, for a path whose first `existing` bytes name a directory
// known to exist (path[existing] is a separator): only the levels below it
// are made. MakeParentDirectories(path) is MakeParentDirectoriesBelow(path, 0).
int MakeParentDirectoriesBelow(char* path, size_t existing);

// Length of the longest leading part of path that names directory, or a
// directory above it, and is followed by a separator in path; 0 if none.
// Either separator matches either.
size_t SharedDirectoryPrefix(const char* path, const char* directory);
