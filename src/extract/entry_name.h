// An entry's name: assembled from its chain of 60-byte segments, then
// checked before anything is written under it.
#pragma once

#include <cstdint>

#include "index/archive_tables.h"

// A name fills at most four segments; with its terminator it fits here.
inline constexpr uint32_t NAME_BUFFER_SIZE = 260;
inline constexpr uint32_t NAME_MAX_SEGMENTS = 4;

enum class NameResult {
  Complete,
  BadLink,  // a link points past the end of names
  TooLong,  // four segments without an end while the chain goes on (or loops)
};

// Fills name (NAME_BUFFER_SIZE bytes) from the chain starting at nameLink.
// The chain is followed only until the text ends (a zero byte) or the chain
// does. Whatever the result, name holds the text as far as it was resolved.
NameResult ResolveName(uint32_t nameLink, const RecordList<NameSegment>& names, char* name);

// True when writing name under the output directory stays inside it: the
// name is relative (no leading separator, no drive) and has no ".."
// component. Both '\' and '/' separate components. With windowsFileNames
// (the system's WINDOWS_FILE_NAMES) it also refuses what Windows would not
// take as a plain file or folder of that name: a component of dots and
// spaces other than ".", which may act as "..", and device names such as
// CON, NUL.txt or com1.
bool IsSafeName(const char* name, bool windowsFileNames);
