#include "app/host_options.h"

#include <cerrno>
#include <cstdlib>

#include "platform/user_dirs.h"

namespace orv {

namespace {

std::optional<int32_t> Integer(const std::string& text) {
  constexpr int32_t kBad = INT32_MIN;  // never a sensible value of these settings
  const int32_t v = StrToIntDef(text, kBad);
  if (v == kBad) return std::nullopt;
  return v;
}

// "#RRGGBB" as the hosts' colour fields write it, else the settings file's
// own 0x00BBGGRR number.
std::optional<TColor> Color(const std::string& text) {
  if (text.size() == 7 && text[0] == '#') {
    const std::optional<int32_t> rgb = Integer("$" + text.substr(1));
    if (!rgb) return std::nullopt;
    const uint32_t v = uint32_t(*rgb);
    return TColor(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16));
  }
  const std::optional<int32_t> v = Integer(text);
  if (!v || (uint32_t(*v) >> 24) != 0) return std::nullopt;
  return TColor(*v);
}

const std::vector<THostOption> kTable = {
    {"folder", true, [](TSettings& s, const std::string& v) { s.folder = ExpandHome(v, std::getenv("HOME")); }},
    {"delay", true,
     [](TSettings& s, const std::string& v) {
       if (auto n = Integer(v); n && *n >= 1) s.changeSec = *n;
     }},
    {"enlarge", false, [](TSettings& s, const std::string&) { s.extend = true; }},
    {"no-enlarge", false, [](TSettings& s, const std::string&) { s.extend = false; }},
    {"caption", false, [](TSettings& s, const std::string&) { s.putFilename = true; }},
    {"no-caption", false, [](TSettings& s, const std::string&) { s.putFilename = false; }},
    {"full-path", false, [](TSettings& s, const std::string&) { s.putFullPath = true; }},
    {"no-full-path", false, [](TSettings& s, const std::string&) { s.putFullPath = false; }},
    {"extension", false, [](TSettings& s, const std::string&) { s.putExtention = true; }},
    {"no-extension", false, [](TSettings& s, const std::string&) { s.putExtention = false; }},
    {"background-color", true,
     [](TSettings& s, const std::string& v) {
       if (auto c = Color(v)) s.bgColorEnable = true, s.bgColor = *c;
     }},
    {"no-background-color", false, [](TSettings& s, const std::string&) { s.bgColorEnable = false; }},
    {"buffered", false, [](TSettings& s, const std::string&) { s.drawMode = 1; }},
    {"unbuffered", false, [](TSettings& s, const std::string&) { s.drawMode = 0; }},
    {"subfolders", false, [](TSettings& s, const std::string&) { s.subFolders = true; }},
    {"no-subfolders", false, [](TSettings& s, const std::string&) { s.subFolders = false; }},
    {"fade", true,
     [](TSettings& s, const std::string& v) {
       if (auto n = Integer(v)) s.fadeTime = ClampFadeTime(*n);
     }},
};

// "--name", "-name" or "--name=value" → name and the inline value.
bool SplitOption(const std::string& arg, std::string* name, std::optional<std::string>* inline_value) {
  if (arg.size() < 2 || arg[0] != '-') return false;
  std::string body = arg.substr(arg[1] == '-' ? 2 : 1);
  if (body.empty()) return false;
  const size_t eq = body.find('=');
  if (eq != std::string::npos) {
    *inline_value = body.substr(eq + 1);
    body.resize(eq);
  }
  *name = body;
  return true;
}

}  // namespace

const std::vector<THostOption>& HostOptionTable() { return kTable; }

std::optional<THostCommand> ParseHostCommand(const std::vector<std::string>& args) {
  THostCommand cmd;
  bool hosted = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name;
    std::optional<std::string> value;
    if (!SplitOption(args[i], &name, &value)) continue;  // stray words are ignored
    auto take_value = [&]() -> std::string {
      if (value) return *value;
      return i + 1 < args.size() ? args[++i] : std::string();
    };
    if (name == "root") {
      hosted = true;
      cmd.target = THostTarget::kRoot;
    } else if (name == "window-id") {
      hosted = true;
      cmd.target = THostTarget::kWindowId;
      cmd.windowId = take_value();
    } else {
      for (size_t row = 0; row < kTable.size(); ++row) {
        if (name != kTable[row].name) continue;
        cmd.options.push_back({row, kTable[row].takesValue ? take_value() : std::string()});
        break;
      }
    }
  }
  if (!hosted) return std::nullopt;
  return cmd;
}

void ApplyHostOptions(const THostCommand& command, TSettings& settings) {
  for (const THostOptionValue& o : command.options) kTable[o.row].apply(settings, o.value);
}

std::optional<unsigned long> ParseWindowId(const std::string& text) {
  if (text.empty()) return std::nullopt;
  int base = 10;
  size_t start = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) base = 16, start = 2;
  const char* begin = text.c_str() + start;
  if (*begin == '+' || *begin == '-' || *begin == ' ') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(begin, &end, base);
  if (errno != 0 || end == begin || *end != '\0' || v == 0 || v > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<unsigned long>(v);
}

}  // namespace orv
