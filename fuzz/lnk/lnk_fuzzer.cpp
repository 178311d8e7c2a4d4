// Shortcut files are untrusted: any bytes must give a result or a refusal.
#include <cstddef>
#include <cstdint>

#include "platform/shell_link.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orv::ShellLinkData link;
  if (orv::ParseShellLink(data, size, &link)) {
    orv::MapWindowsPath(link.local_base_path + link.common_path_suffix);
    orv::MapWindowsPath(link.relative_path);
  }
  return 0;
}
