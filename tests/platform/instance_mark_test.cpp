#include "platform/instance_mark.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/test_support.h"

namespace orv {
namespace {

class InstanceMarkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    old_ = old ? old : "";
    setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
  }
  void TearDown() override {
    if (old_.empty())
      unsetenv("XDG_RUNTIME_DIR");
    else
      setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
  }
  // Starts a process that holds the mark until killed; returns its pid.
  pid_t HolderProcess(const std::string& name) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
      InstanceMark mark;
      mark.Create(name);
      char c = 1;
      (void)!write(fds[1], &c, 1);
      pause();
      _exit(0);
    }
    char c;
    (void)!read(fds[0], &c, 1);
    close(fds[0]);
    close(fds[1]);
    return pid;
  }
  test::TempDir dir_;
  std::string old_;
};

TEST_F(InstanceMarkTest, LivesInTheRuntimeFolder) {
  EXPECT_EQ(InstanceMarkPath("Mutex_of_tobrinel"), dir_ / "Mutex_of_tobrinel");
}

TEST_F(InstanceMarkTest, HeldExactlyWhileAnotherProcessLives) {
  EXPECT_FALSE(InstanceMarkHeld("m"));
  pid_t holder = HolderProcess("m");
  ASSERT_GT(holder, 0);
  EXPECT_TRUE(InstanceMarkHeld("m"));
  EXPECT_FALSE(InstanceMarkHeld("other"));
  // A second holder (the password request) shares the mark.
  InstanceMark second;
  EXPECT_TRUE(second.Create("m"));
  second.Release();
  // A crash releases it: the kernel drops the lock with the process.
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_FALSE(InstanceMarkHeld("m"));
}

TEST_F(InstanceMarkTest, TheProbeDoesNotTakeTheMark) {
  InstanceMarkHeld("m");
  pid_t holder = HolderProcess("m");
  EXPECT_TRUE(InstanceMarkHeld("m"));
  EXPECT_TRUE(InstanceMarkHeld("m"));
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
}

TEST_F(InstanceMarkTest, ProgramsWeStartDoNotInheritIt) {
  InstanceMark mark;
  ASSERT_TRUE(mark.Create("m"));
  pid_t child = fork();
  if (child == 0) {
    // The descriptor that holds the mark must be closed by exec.
    const std::string want = InstanceMarkPath("m");
    for (int fd = 0; fd < 1024; ++fd) {
      char link[4096];
      ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof(link));
      if (n <= 0 || std::string(link, size_t(n)) != want) continue;
      _exit((fcntl(fd, F_GETFD) & FD_CLOEXEC) ? 0 : 1);
    }
    _exit(2);  // no descriptor for the mark at all
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace orv
