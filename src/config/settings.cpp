#include "config/settings.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/file_util.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

namespace orv {

namespace {

enum class Kind { kText, kInt, kBool };

// The settings file's keys, in the order they are read and written.
struct Key {
  const char* section;
  const char* name;
  Kind kind;
};
constexpr Key kKeys[] = {
    {"BGIllust", "Folder", Kind::kText},       {"BGIllust", "ChangeSec", Kind::kInt},
    {"BGIllust", "Extend", Kind::kBool},       {"Filename", "PutFilename", Kind::kBool},
    {"Filename", "PutFullPath", Kind::kBool},  {"Filename", "PutExtention", Kind::kBool},
    {"BGColor", "Enable", Kind::kBool},        {"BGColor", "Color", Kind::kInt},
    {"Settings", "DrawMode", Kind::kInt},
};

// The fields of the record, in the same order.
struct Field {
  std::string* text = nullptr;
  int32_t* integer = nullptr;
  bool* flag = nullptr;
};
void Fields(TSettings& s, Field out[9]) {
  out[0].text = &s.folder;
  out[1].integer = &s.changeSec;
  out[2].flag = &s.extend;
  out[3].flag = &s.putFilename;
  out[4].flag = &s.putFullPath;
  out[5].flag = &s.putExtention;
  out[6].flag = &s.bgColorEnable;
  out[7].integer = &s.bgColor;
  out[8].integer = &s.drawMode;
}

class AtomicWriter : public ISettingsFileWriter {
 public:
  int Replace(const std::string& path, const std::string& content) override {
    return ReplaceFileAtomically(path, content);
  }
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string SettingsFilePathFor(const std::string& program_path, const std::string& prefix,
                                const char* xdg_config_home, const char* home) {
  const std::string under = IncludeTrailingSeparator(prefix);
  const bool installed = !prefix.empty() && program_path.compare(0, under.size(), under) == 0;
  if (!installed) return SettingsPathFor(program_path);
  // The XDG rule: a relative XDG_CONFIG_HOME is invalid and ignored.
  std::string config;
  if (xdg_config_home && xdg_config_home[0] == '/') config = xdg_config_home;
  else if (home && *home) config = std::string(home) + "/.config";
  else config = "/tmp";
  return config + "/orvanne/orvanne.ini";
}

std::string SettingsFilePath() {
#ifdef ORV_INSTALL_PREFIX
  const std::string prefix = ORV_INSTALL_PREFIX;
#else
  const std::string prefix;
#endif
  return SettingsFilePathFor(ProgramPath(), prefix, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}
std::string DefaultFolder() { return FolderOf(ProgramPath()); }

int32_t StrToIntDef(const std::string& text, int32_t def) {
  std::string s = text;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = "$" + s.substr(2);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool hex = i < s.size() && s[i] == '$';
  if (hex) ++i;
  if (i >= s.size()) return def;
  uint64_t value = 0;
  for (; i < s.size(); ++i) {
    int d = hex ? HexDigit(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
    if (d < 0) return def;
    value = value * (hex ? 16 : 10) + uint64_t(d);
    if (value > 0xFFFFFFFFull) return def;
  }
  if (hex) {
    // Hexadecimal gives the 32-bit pattern: $FFFFFFFF is -1.
    uint32_t bits = uint32_t(value);
    if (negative) bits = 0u - bits;
    return int32_t(bits);
  }
  if (negative ? value > 2147483648ull : value > 2147483647ull) return def;
  return negative ? int32_t(-int64_t(value)) : int32_t(value);
}

TSettings ReadSettings(const std::string& ini_path, const std::string& default_folder) {
  TIniFile ini = TIniFile::Load(ini_path);
  TSettings s;
  s.folder = default_folder;
  Field fields[9];
  Fields(s, fields);
  for (int i = 0; i < 9; ++i) {
    const Key& k = kKeys[i];
    switch (k.kind) {
      case Kind::kText:
        *fields[i].text = ini.ReadString(k.section, k.name, *fields[i].text);
        break;
      case Kind::kInt:
        *fields[i].integer =
            StrToIntDef(ini.ReadString(k.section, k.name, ""), *fields[i].integer);
        break;
      case Kind::kBool:
        *fields[i].flag = StrToIntDef(ini.ReadString(k.section, k.name, ""), *fields[i].flag ? 1 : 0) != 0;
        break;
    }
  }
  return s;
}

void WriteSettings(const std::string& ini_path, const TSettings& values, ISettingsFileWriter* writer) {
  TIniFile ini = TIniFile::Load(ini_path);
  TSettings copy = values;
  Field fields[9];
  Fields(copy, fields);
  for (int i = 0; i < 9; ++i) {
    const Key& k = kKeys[i];
    std::string text = k.kind == Kind::kText  ? *fields[i].text
                       : k.kind == Kind::kInt ? std::to_string(*fields[i].integer)
                                              : (*fields[i].flag ? "1" : "0");
    // A folder name may hold a line break here; the value ends where a reader
    // would end it, so that it cannot add lines or sections to the file.
    if (k.kind == Kind::kText) text.resize(std::min(text.size(), text.find_first_of("\r\n")));
    ini.WriteString(k.section, k.name, text);
  }
  // The per-user folder of an installed copy may not exist yet.
  const std::string folder = FolderOf(ini_path);
  for (size_t i = 1; i <= folder.size(); ++i)
    if (i == folder.size() || folder[i] == '/') ::mkdir(folder.substr(0, i).c_str(), 0700);
  AtomicWriter atomic;
  int err = (writer ? writer : &atomic)->Replace(ini_path, ini.Content());
  if (err != 0) throw ESettingsWriteError(FormatMessage("%s に書き込めません", ini_path));
}

}  // namespace orv
