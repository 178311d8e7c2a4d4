// Child processes for end-to-end tests: start a program with a changed
// environment, wait for it with a deadline, stop it by its pid.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orv::e2e {

using Millis = std::chrono::milliseconds;

// Changes to the test's own environment for a child.
struct Env {
  std::map<std::string, std::string> set;
  std::vector<std::string> unset;
  Env& Set(const std::string& name, const std::string& value) {
    set[name] = value;
    return *this;
  }
};

struct ProcessOptions {
  std::vector<std::string> argv;  // argv[0] is the program (a path, or a name looked up in PATH)
  Env env;
  std::string output_file;  // stdout and stderr go here; empty: /dev/null
  // File descriptors of the test that the child keeps, at the same numbers.
  std::vector<int> keep_fds;
};

class Process {
 public:
  // Starts the program; throws std::runtime_error when it cannot be started.
  static std::unique_ptr<Process> Start(const ProcessOptions& options);
  ~Process();  // stops the child if it still runs
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  pid_t pid() const { return pid_; }
  bool Running();
  // The exit status once the child has ended within the timeout: the exit
  // code, or 128 + the signal number.
  std::optional<int> Wait(Millis timeout);
  // SIGTERM, then SIGKILL if the child does not end soon; returns its status.
  int Stop();

 private:
  explicit Process(pid_t pid) : pid_(pid) {}
  pid_t pid_;
  std::optional<int> status_;
};

struct RunResult {
  int status = -1;  // as Process::Wait; -1 when it timed out (and was stopped)
  std::string output;
};

// Runs a program to its end and collects its output (stdout and stderr).
RunResult RunProgram(const std::vector<std::string>& argv, const Env& env = {}, Millis timeout = Millis(20000));

// Polls until condition holds or the timeout passes; true when it held.
template <class Condition>
bool WaitUntil(Condition condition, Millis timeout, Millis interval = Millis(50));

// A folder for one test's files, removed with its content afterwards.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& prefix = "orv_e2e");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Whether an executable exists at path.
bool Executable(const std::string& path);
// Copies a file, keeping its permission bits; throws on failure.
void CopyFile(const std::string& from, const std::string& to);

// A private copy of the program, dir/orvanne, beside which it keeps its
// settings (it finds them through its real path, so a link would not
// isolate it), and a runtime folder of its own, dir/runtime (0700), for the
// instance mark: tests that run in parallel never meet.
struct PrivateCopy {
  std::string program;
  std::string runtime;
};
PrivateCopy CopyProgram(const std::string& program, const std::string& dir);

}  // namespace orv::e2e

#include <thread>

template <class Condition>
bool orv::e2e::WaitUntil(Condition condition, Millis timeout, Millis interval) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(interval);
  }
}
