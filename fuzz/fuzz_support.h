// What both fuzz targets need around the code under test: quiet standard
// output, sanitizer settings, files written whole, and a stop on a broken
// promise that the sanitizers can't see.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// The program prints its lines to standard output; the fuzzer reports on
// standard error. Sends standard output to /dev/null for the whole process.
void SilenceStdout();

// Writes bytes to path, replacing it. Aborts when that fails: a run on a
// half-written input would report nothing true.
void WriteWhole(const std::string& path, const uint8_t* data, size_t size);

// The names in a directory, sorted; "." and ".." left out.
std::vector<std::string> DirectoryNames(const std::string& path);

// Reports what went wrong and aborts, so that the fuzzer keeps the input.
[[noreturn]] void Fail(const char* what, const std::string& detail = "");

}  // namespace fuzz
