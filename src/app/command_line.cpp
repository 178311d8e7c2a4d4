#include "app/command_line.h"

#include "config/settings.h"
#include "platform/paths.h"

namespace orv {

std::string TrimControl(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && static_cast<unsigned char>(s[a]) <= 32) ++a;
  while (b > a && static_cast<unsigned char>(s[b - 1]) <= 32) --b;
  return s.substr(a, b - a);
}

TRunMode ParseRunMode(const std::string& first_arg) {
  std::string arg = TrimControl(first_arg);
  if (arg.empty()) return TRunMode::kConfig;
  if (arg[0] != '/' && arg[0] != '-') return TRunMode::kNone;
  std::string rest = AsciiLower(arg.substr(1));
  if (rest == "s") return TRunMode::kFullScreen;
  if (rest == "p") return TRunMode::kPreview;
  if (rest.empty() || rest[0] == 'c') return TRunMode::kConfig;
  return TRunMode::kNone;
}

bool IsPasswordRequest(const std::string& first_arg) {
  std::string two = AsciiUpper(TrimControl(first_arg).substr(0, 2));
  return two == "/A" || two == "-A";
}

long long PreviewHandle(const std::vector<std::string>& args) {
  if (args.size() < 2) return 0;
  return StrToIntDef(TrimControl(args[1]), 0);
}

}  // namespace orv
