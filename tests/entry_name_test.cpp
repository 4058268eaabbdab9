#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "extract/entry_name.h"

namespace {

struct Names {
  RecordList<NameSegment> list;
  ~Names() { std::free(list.items); }
  void Add(uint32_t nextLink, const std::string& text) {
    NameSegment segment{};
    segment.nextLink = nextLink;
    std::memcpy(segment.text, text.data(), text.size() < 60 ? text.size() : 60);
    ASSERT_TRUE(AppendRecord(list, segment));
  }
};

std::pair<NameResult, std::string> Resolve(const Names& names, uint32_t nameLink) {
  char name[NAME_BUFFER_SIZE];
  std::memset(name, 'X', sizeof name);
  NameResult result = ResolveName(nameLink, names.list, name);
  EXPECT_EQ(name[240], '\0');
  return {result, name};
}

const std::string A60(60, 'a'), B60(60, 'b'), C60(60, 'c'), D60(60, 'd');

}  // namespace

TEST(ResolveName, FollowsChainsAndStopsWhereTheTextEnds) {
  Names names;
  names.Add(NAME_END, "short");             // 0
  names.Add(2, A60);                        // 1 -> 2
  names.Add(NAME_END, "tail");              // 2
  names.Add(0x80000000 | 5, A60);           // 3 -> 5 through a top-bit link
  names.Add(NAME_END, "unused");            // 4
  names.Add(NAME_END, "five");              // 5
  names.Add(7, "ends here");                // 6: ends inside, chain goes on
  names.Add(NAME_END, "not shown");         // 7
  names.Add(9, A60);                        // 8 -> 9 ->10 -> 11, four full segments
  names.Add(10, B60);                       // 9
  names.Add(11, C60);                       // 10
  names.Add(NAME_END, D60);                 // 11
  names.Add(13, "loops back");              // 12: ends, so the loop is never followed
  names.Add(12, "x");                       // 13
  names.Add(NAME_END, std::string("\0second", 7));  // 14
  names.Add(14, A60);                       // 15: zero at the start of the second segment
  names.Add(0x12345, "stops before bad link");  // 16

  struct Case { uint32_t link; NameResult result; std::string name; };
  const std::vector<Case> cases = {
      {0, NameResult::Complete, "short"},
      {NAME_END, NameResult::Complete, ""},
      {1, NameResult::Complete, A60 + "tail"},
      {3, NameResult::Complete, A60 + "five"},
      {6, NameResult::Complete, "ends here"},
      {8, NameResult::Complete, A60 + B60 + C60 + D60},
      {12, NameResult::Complete, "loops back"},
      {15, NameResult::Complete, A60},
      {16, NameResult::Complete, "stops before bad link"},
  };
  for (const Case& c : cases) EXPECT_EQ(Resolve(names, c.link), std::make_pair(c.result, c.name)) << c.link;
}

TEST(ResolveName, RefusesChainsThatRunPastFourSegmentsOrOutOfRange) {
  Names names;
  names.Add(1, A60);  // 0 -> 1 -> 2 -> 3 -> 4: five full segments
  names.Add(2, B60);
  names.Add(3, C60);
  names.Add(4, D60);
  names.Add(NAME_END, "e");
  names.Add(5, A60);  // 5 -> 5: a loop without end
  names.Add(99, A60);  // 6 -> 99: past the end of names
  EXPECT_EQ(Resolve(names, 0), std::make_pair(NameResult::TooLong, A60 + B60 + C60 + D60));
  EXPECT_EQ(Resolve(names, 1), std::make_pair(NameResult::Complete, B60 + C60 + D60 + "e"));
  EXPECT_EQ(Resolve(names, 5), std::make_pair(NameResult::TooLong, A60 + A60 + A60 + A60));
  EXPECT_EQ(Resolve(names, 6), std::make_pair(NameResult::BadLink, A60));
  EXPECT_EQ(Resolve(names, 7), std::make_pair(NameResult::BadLink, std::string()));
  EXPECT_EQ(Resolve(names, 0x80000000 | 7), std::make_pair(NameResult::BadLink, std::string()));
}

TEST(IsSafeName, RefusesNamesThatLeaveTheOutputDirectory) {
  const char* safe[] = {"a", "a\\b.txt", "a/b", "..a", "a..", "...", "a\\..b\\c", "a\\.\\b", ".hidden", "a\\b\\"};
  const char* unsafe[] = {"..",       "..\\a",   "../a",     "a\\..",  "a\\..\\b", "a/../b", "a\\../b",
                          "\\a",      "/a",      "/",        "\\",     "C:\\a",    "c:a",    "C:",
                          "a\\b\\..", "a//..//b", "x:"};
  for (const char* name : safe) EXPECT_TRUE(IsSafeName(name, false)) << name;
  for (bool windows : {false, true}) {
    for (const char* name : unsafe) EXPECT_FALSE(IsSafeName(name, windows)) << name << " windows " << windows;
  }
}

TEST(IsSafeName, UnderWindowsFileNamesAlsoRefusesDotsAndSpacesAndDevices) {
  // Plain names elsewhere: Linux keeps taking them as they are.
  const char* windowsOnly[] = {
      ".. ",  "a\\.. ",   ". .",     " ..",      "a\\... \\b", "...",      "....",     "a/. ",       " ",
      "CON",  "con",      "Nul.txt", "a\\aux",   "prn\\x",     "NUL .txt", "nul:",     "con.tar.gz", "COM1",
      "com0", "lpt9.log", "LPT1 ",   "com\xB9",  "CONIN$",     "conout$.x",
  };
  const char* stillSafe[] = {
      "a",        "a\\b.txt", "a/b",   "..a",     "a..",         "a\\..b\\c", "a\\.\\b", ".hidden", "a\\b\\",
      ".",        "a ",       "a. b",  "CONSOLE", "NULL.txt",    "xcon",      "COM",     "COM10",   "LPTX",
      "a\\com1x", "con_\\x",  ".a.",   "prn-log", "auxiliary\\f",
  };
  for (const char* name : windowsOnly) {
    EXPECT_FALSE(IsSafeName(name, true)) << name;
    EXPECT_TRUE(IsSafeName(name, false)) << name;
  }
  for (const char* name : stillSafe) EXPECT_TRUE(IsSafeName(name, true)) << name;
}
