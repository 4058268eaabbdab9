#include <gtest/gtest.h>

#include <string>

#include "util/count_format.h"

TEST(FormatCount, GroupsDigitsInThrees) {
  struct Case { uint32_t count; const char* text; };
  const Case cases[] = {
      {0, "0"}, {7, "7"}, {999, "999"}, {1000, "1,000"}, {12345, "12,345"}, {100000, "100,000"},
      {1000000, "1,000,000"}, {1000000000, "1,000,000,000"}, {4294967295u, "4,294,967,295"},
  };
  for (const Case& c : cases) EXPECT_STREQ(FormatCount(c.count), c.text) << c.count;
}

TEST(FormatCount64, GroupsDigitsInThrees) {
  struct Case { int64_t count; const char* text; };
  const Case cases[] = {
      {0, "0"},
      {999, "999"},
      {4294967296, "4,294,967,296"},
      {1000000000000000000, "1,000,000,000,000,000,000"},
      {INT64_MAX, "9,223,372,036,854,775,807"},
  };
  for (const Case& c : cases) EXPECT_STREQ(FormatCount64(c.count), c.text) << c.count;
}

TEST(FormatCount, EachRoutineOwnsOneBuffer) {
  const char* first = FormatCount(1000);
  const char* wide = FormatCount64(2000);
  EXPECT_STREQ(first, "1,000") << "FormatCount64 must not touch FormatCount's text";
  const char* second = FormatCount(3000);
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "3,000");
  EXPECT_STREQ(wide, "2,000");
}
