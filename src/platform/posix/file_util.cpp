// Atomic file replacement with mkstemp, fsync and rename.
#include "platform/file_util.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/paths.h"

namespace orv {

namespace {
int WriteAll(int fd, const std::string& content) {
  size_t done = 0;
  while (done < content.size()) {
    ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += size_t(n);
  }
  return 0;
}
}  // namespace

int ReplaceFileAtomically(const std::string& link_or_path, const std::string& content) {
  // Replace what a symbolic link points at, not the link itself.
  std::string path = link_or_path;
  struct stat lst;
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      path = real;
      std::free(real);
    }
  }
  mode_t mode = 0644;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return EISDIR;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return EACCES;
    if (::access(path.c_str(), W_OK) != 0) return errno;
    mode = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return errno;
  }
  std::string folder = FolderOf(path);
  if (folder.empty()) folder = ".";
  std::string tmpl = IncludeTrailingSeparator(folder) + "." + ExtractFileName(path) + ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  int err = WriteAll(fd, content);
  if (!err && ::fchmod(fd, mode) != 0) err = errno;
  if (!err && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && !err) err = errno;
  if (!err && ::rename(name.data(), path.c_str()) != 0) err = errno;
  if (err) {
    ::unlink(name.data());
    return err;
  }
  // Make the rename itself durable.
  int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return 0;
}

}  // namespace orv
