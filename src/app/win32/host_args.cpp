#include "app/win32/host_args.h"

#include "app/command_line.h"

namespace orv::win32 {

std::vector<std::string> SplitHostArgs(std::vector<std::string> args) {
  if (args.empty()) return args;
  const std::string first = TrimControl(args[0]);
  if (first.size() > 3 && (first[0] == '/' || first[0] == '-') && (first[1] == 'p' || first[1] == 'P') &&
      first[2] == ':') {
    args[0] = first.substr(0, 2);
    args.insert(args.begin() + 1, first.substr(3));
  }
  return args;
}

}  // namespace orv::win32
