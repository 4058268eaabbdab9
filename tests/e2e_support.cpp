#include "e2e_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace e2e {

std::string VarnoxBinary() {
  const char* env = std::getenv("VARNOX_BINARY");
  return env != nullptr && *env != '\0' ? env : VARNOX_BINARY_PATH;
}

std::string Launcher() {
  const char* env = std::getenv("VARNOX_LAUNCHER");
  return env != nullptr ? env : "";
}

bool TargetIsWindows() {
  const std::string binary = VarnoxBinary();
  return binary.size() >= 4 && binary.compare(binary.size() - 4, 4, ".exe") == 0;
}

std::string PackBinary() { return VARNOX_PACK_PATH; }

namespace {

// "\r\n" line ends as "\n"; the text unchanged unless every '\n' follows a '\r'.
std::string WithoutCarriageReturns(const std::string& text) {
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return text;
    lines += text[i];
  }
  return lines;
}

}  // namespace

ProgramRun Run(const std::vector<std::string>& args, const RunOptions& options) {
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    dup2(outPipe[1], STDOUT_FILENO);
    dup2(errPipe[1], STDERR_FILENO);
    if (chdir(options.cwd.c_str()) != 0) _exit(120);
    if (options.fileSizeLimit != RLIM_INFINITY) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.addressSpaceLimit != RLIM_INFINITY) {
      rlimit limit{options.addressSpaceLimit, options.addressSpaceLimit};
      setrlimit(RLIMIT_AS, &limit);
    }
    if (options.unprivileged && geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(UNPRIVILEGED_ID) != 0 || setuid(UNPRIVILEGED_ID) != 0)) {
      _exit(UNPRIVILEGED_FAILED);
    }
    execv(argv[0], argv.data());
    _exit(121);
  }
  close(outPipe[1]);
  close(errPipe[1]);

  ProgramRun run{{}, {}, -1, {}};
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  int open = 2;
  int status = 0;
  bool exited = false;
  while (open > 0) {
    // Helpers the program leaves running may hold the pipes open (Wine
    // starts its services with the first program's streams): once the
    // program has exited, what the pipes hold is all it printed.
    if (!exited && waitpid(pid, &status, WNOHANG) == pid) exited = true;
    int ready = poll(fds, 2, exited ? 0 : 100);
    if (ready < 0) continue;
    if (ready == 0 && exited) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buf[65536];
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  if (!exited) waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

ProgramRun RunVarnox(const std::vector<std::string>& args, const RunOptions& options) {
  std::vector<std::string> argv;
  if (!Launcher().empty()) argv.push_back(Launcher());
  argv.push_back(options.binary.empty() ? VarnoxBinary() : options.binary);
  argv.insert(argv.end(), args.begin(), args.end());
  ProgramRun run = Run(argv, options);
  // varnox writes nothing there; anything on it is a sanitizer's report or a crash.
  if (!run.err.empty()) ADD_FAILURE() << "varnox wrote to standard error (status " << run.status << "):\n" << run.err;
  run.raw = run.out;
  if (TargetIsWindows()) run.out = WithoutCarriageReturns(run.out);
  return run;
}

std::string CopyVarnoxTo(const std::string& dir) {
  std::string target = dir + (TargetIsWindows() ? "/varnox.exe" : "/varnox");
  std::filesystem::copy_file(VarnoxBinary(), target, std::filesystem::copy_options::overwrite_existing);
  return target;
}

std::string Report(const std::vector<std::string>& lines, const std::string& total) {
  std::string text = "Reading archive info...\n";
  for (const std::string& line : lines) text += line + "\n";
  return text + "Total : " + total + "\n";
}

std::string AsPrinted(const std::string& text) {
  if (!TargetIsWindows()) return text;
  std::string printed;
  for (char c : text) printed += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return printed;
}

uint64_t FileTime(int64_t seconds, int64_t nanoseconds) {
  return archive_writer::FileTimeFromUnixNanoseconds(seconds * 1000000000 + nanoseconds);
}

Times FileTimesOf(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return {-1, -1};
  return {int64_t{st.st_atim.tv_sec} * 1000000000 + st.st_atim.tv_nsec,
          int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

ProgramRun ArchiveTest::Run(const archive_writer::ArchiveBuilder& archive, const RunOptions& options) {
  return Run(archive.index, archive.data, options);
}

ProgramRun ArchiveTest::Run(const archive_writer::IndexImage& index, const archive_writer::DataImage& data,
                            const RunOptions& options) {
  EXPECT_TRUE(archive_writer::WriteArchive(index, data, index_));
  return RunVarnox({index_, out_}, options);
}

test_support::Bytes ArchiveTest::Output(const std::string& name) const {
  return test_support::ReadFileBytes(out_ + "/" + name);
}

}  // namespace e2e
