// Counts as decimal text with a comma between groups of three digits
// (1,234,567), for the console report.
#pragma once

#include <cstdint>

// Each returns its own static buffer, overwritten by the next call of the
// same routine: a FormatCount text and a FormatCount64 text can be held at
// once, two texts of one routine cannot.
const char* FormatCount(uint32_t count);
const char* FormatCount64(int64_t count);
