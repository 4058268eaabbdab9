#include "extract/entry_name.h"

#include <cstring>

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

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool IsSafeName(const char* name) {
  if (IsSeparator(name[0])) return false;
  if (name[0] != '\0' && name[1] == ':') return false;
  const char* component = name;
  for (const char* p = name;; ++p) {
    if (*p == '\0' || IsSeparator(*p)) {
      if (p - component == 2 && component[0] == '.' && component[1] == '.') return false;
      if (*p == '\0') return true;
      component = p + 1;
    }
  }
}
