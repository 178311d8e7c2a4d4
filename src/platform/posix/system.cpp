// Process services through POSIX: thread CPU time, the environment, folders,
// the UTC clock.
#include <sys/stat.h>
#include <time.h>

#include <cerrno>
#include <cstdlib>

#include "platform/native.h"

namespace orv {

const char* const native::kLineEnd = "\n";

unsigned native::AnsiCodePage() { return 0; }

uint64_t native::ThreadCpuMilliseconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return uint64_t(ts.tv_sec) * 1000 + uint64_t(ts.tv_nsec) / 1000000;
}

std::string native::GetEnv(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? v : "";
}

void native::SetEnv(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }

bool native::CreateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  return false;
}

native::UtcTime native::UtcNow() {
  time_t now = time(nullptr);
  tm t{};
  gmtime_r(&now, &t);
  return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

}  // namespace orv
