#include "e2e/support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace orv::e2e {

namespace {

std::vector<std::string> ChildEnvironment(const Env& env) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const auto eq = entry.find('=');
    if (eq != std::string::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& name : env.unset) vars.erase(name);
  for (const auto& [name, value] : env.set) vars[name] = value;
  std::vector<std::string> out;
  for (const auto& [name, value] : vars) out.push_back(name + "=" + value);
  return out;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (auto& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

int StatusOf(int raw) {
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
  return -1;
}

}  // namespace

std::unique_ptr<Process> Process::Start(const ProcessOptions& options) {
  if (options.argv.empty()) throw std::runtime_error("no program to start");
  std::vector<std::string> args = options.argv;
  std::vector<std::string> envs = ChildEnvironment(options.env);
  std::vector<char*> argv = Pointers(args);
  std::vector<char*> envp = Pointers(envs);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string out = options.output_file.empty() ? "/dev/null" : options.output_file;
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  // dup2 onto the same number clears close-on-exec, so the child keeps it.
  for (int fd : options.keep_fds) posix_spawn_file_actions_adddup2(&actions, fd, fd);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  pid_t pid = 0;
  const int err = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (err != 0) throw std::runtime_error("cannot start " + options.argv[0] + ": " + std::strerror(err));
  return std::unique_ptr<Process>(new Process(pid));
}

Process::~Process() {
  if (!status_) Stop();
}

bool Process::Running() {
  if (status_) return false;
  int raw = 0;
  const pid_t r = ::waitpid(pid_, &raw, WNOHANG);
  if (r == pid_) status_ = StatusOf(raw);
  return !status_;
}

std::optional<int> Process::Wait(Millis timeout) {
  WaitUntil([this] { return !Running(); }, timeout, Millis(10));
  return status_;
}

int Process::Stop() {
  if (!Running()) return *status_;
  ::kill(pid_, SIGTERM);
  if (!Wait(Millis(3000))) {
    ::kill(pid_, SIGKILL);
    int raw = 0;
    ::waitpid(pid_, &raw, 0);
    status_ = StatusOf(raw);
  }
  return *status_;
}

RunResult RunProgram(const std::vector<std::string>& argv, const Env& env, Millis timeout) {
  ScratchDir scratch("orv_run");
  ProcessOptions options{argv, env, scratch / "output", {}};
  auto process = Process::Start(options);
  RunResult result;
  if (auto status = process->Wait(timeout)) {
    result.status = *status;
  } else {
    process->Stop();
  }
  std::ifstream in(options.output_file, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  result.output = ss.str();
  return result;
}

ScratchDir::ScratchDir(const std::string& prefix) {
  std::string pattern = std::filesystem::temp_directory_path().string() + "/" + prefix + "_XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

bool Executable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

void CopyFile(const std::string& from, const std::string& to) {
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

PrivateCopy CopyProgram(const std::string& program, const std::string& dir) {
  PrivateCopy copy{dir + "/orvanne", dir + "/runtime"};
  CopyFile(program, copy.program);
  std::filesystem::permissions(copy.program, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
  std::filesystem::create_directory(copy.runtime);
  std::filesystem::permissions(copy.runtime, std::filesystem::perms::owner_all);
  return copy;
}

}  // namespace orv::e2e
