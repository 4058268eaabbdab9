// Running the built programs as a user would, for the end-to-end tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "archive_writer.h"
#include "test_support.h"

namespace e2e {

struct ProgramRun {
  std::string out;  // everything printed on standard output, lines ending "\n"
  std::string err;  // standard error, which varnox never uses
  int status;       // exit status, or 128 + signal
  std::string raw;  // standard output byte for byte
};

struct RunOptions {
  std::string cwd = "/";  // anywhere but the program's own folder
  std::string binary;     // default: the varnox under test
  rlim_t fileSizeLimit = RLIM_INFINITY;     // RLIMIT_FSIZE; SIGXFSZ is ignored when set
  rlim_t addressSpaceLimit = RLIM_INFINITY;  // RLIMIT_AS
  // Run as an unprivileged user (nobody) when the tests run as root, so that
  // file permissions apply. The run ends with UNPRIVILEGED_FAILED when the
  // privileges can't be dropped.
  bool unprivileged = false;
};

inline constexpr int UNPRIVILEGED_FAILED = 122;
inline constexpr unsigned UNPRIVILEGED_ID = 65534;  // nobody, nogroup

// True when the varnox under test was built with the sanitizers, whose
// shadow memory needs far more address space than RLIMIT_AS tests allow.
inline constexpr bool VARNOX_IS_SANITIZED = VARNOX_SANITIZED;

// The varnox under test: $VARNOX_BINARY, else the one built beside the tests.
std::string VarnoxBinary();
// A command that runs the program given as its first argument, such as
// tests/wine-launcher.sh for varnox.exe: $VARNOX_LAUNCHER, else none.
std::string Launcher();
// The program under test is the Windows one (its name ends in ".exe"). Its
// console lines end "\r\n": RunVarnox checks that every line ends so and
// gives them in `out` as "\n", leaving `out` as printed when one does not.
bool TargetIsWindows();
std::string PackBinary();

ProgramRun Run(const std::vector<std::string>& args, const RunOptions& options = {});
// Runs varnox (options.binary, else the one under test), behind the
// launcher when there is one; a test fails if it writes anything to
// standard error.
ProgramRun RunVarnox(const std::vector<std::string>& args, const RunOptions& options = {});

// Copies the program under test into dir and returns its path, for tests
// of paths relative to the program's own folder.
std::string CopyVarnoxTo(const std::string& dir);

// The console text of a run: the progress line, the given lines, the total.
std::string Report(const std::vector<std::string>& lines, const std::string& total);
// Text with "\n" line ends as the program under test prints it: with
// "\r\n" on Windows. Compare with ProgramRun::raw.
std::string AsPrinted(const std::string& text);

// FILETIME for a moment given as Unix seconds and nanoseconds.
uint64_t FileTime(int64_t seconds, int64_t nanoseconds = 0);
// A file's access and modification times, in nanoseconds since 1970.
struct Times {
  int64_t access;
  int64_t modify;
};
Times FileTimesOf(const std::string& path);

// An archive (pack.idx, pack.dat) and an output folder (out) side by side
// in a fresh temporary folder.
class ArchiveTest : public testing::Test {
 protected:
  ProgramRun Run(const archive_writer::ArchiveBuilder& archive, const RunOptions& options = {});
  ProgramRun Run(const archive_writer::IndexImage& index, const archive_writer::DataImage& data,
                 const RunOptions& options = {});
  test_support::Bytes Output(const std::string& name) const;

  test_support::TempDir dir_;
  std::string index_ = dir_ / "pack.idx";
  std::string out_ = dir_ / "out";
};

}  // namespace e2e
