#include "extract/entry_name.h"

#include <cstring>

#include "util/make_directories.h"

NameResult ResolveName(uint32_t nameLink, const RecordList<NameSegment>& names, char* name) {
  std::memset(name, 0, NAME_BUFFER_SIZE);
  uint32_t offset = 0;
  for (uint32_t link = nameLink; link != NAME_END;) {
    if (offset == NAME_MAX_SEGMENTS * NAME_SEGMENT_TEXT_SIZE) return NameResult::TooLong;
    uint32_t position = link & LINK_POSITION_MASK;
    if (position >= names.count) return NameResult::BadLink;
    const NameSegment& segment = names.items[position];
    std::memcpy(name + offset, segment.text, NAME_SEGMENT_TEXT_SIZE);
    offset += NAME_SEGMENT_TEXT_SIZE;
    if (std::memchr(segment.text, '\0', NAME_SEGMENT_TEXT_SIZE) != nullptr) break;
    link = segment.nextLink;
  }
  return NameResult::Complete;
}

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Windows drops the dots and spaces that end a name, so "..", ".. ", "..."
// and the like may all end up as ".." (or as nothing).
bool IsDotsAndSpaces(const char* component, size_t length) {
  if (length == 0 || (length == 1 && component[0] == '.')) return false;
  for (size_t i = 0; i < length; ++i) {
    if (component[i] != '.' && component[i] != ' ') return false;
  }
  return true;
}

// Whether the first length bytes of text are word, letter case aside.
bool EqualsIgnoringCase(const char* text, size_t length, const char* word) {
  size_t i = 0;
  for (; word[i] != '\0'; ++i) {
    if (i == length || Upper(text[i]) != word[i]) return false;
  }
  return i == length;
}

// A device name stands for the device in every folder, whatever follows its
// first '.' or ':' and with blanks before that: "nul", "CON.txt", "aux .c".
bool IsDeviceName(const char* component, size_t length) {
  size_t base = 0;
  while (base < length && component[base] != '.' && component[base] != ':') ++base;
  while (base > 0 && component[base - 1] == ' ') --base;
  static const char* const DEVICES[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : DEVICES) {
    if (EqualsIgnoringCase(component, base, device)) return true;
  }
  // COM and LPT with a digit; the superscript digits of the Western code
  // page count too on some Windows versions.
  if (base != 4 || !(EqualsIgnoringCase(component, 3, "COM") || EqualsIgnoringCase(component, 3, "LPT"))) return false;
  unsigned char digit = static_cast<unsigned char>(component[3]);
  return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

}  // namespace

bool IsSafeName(const char* name, bool windowsFileNames) {
  if (IsPathSeparator(name[0])) return false;
  if (name[0] != '\0' && name[1] == ':') return false;
  const char* component = name;
  for (const char* p = name;; ++p) {
    if (*p == '\0' || IsPathSeparator(*p)) {
      size_t length = static_cast<size_t>(p - component);
      if (length == 2 && component[0] == '.' && component[1] == '.') return false;
      if (windowsFileNames && (IsDotsAndSpaces(component, length) || IsDeviceName(component, length))) return false;
      if (*p == '\0') return true;
      component = p + 1;
    }
  }
}
