#include "config/settings.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <type_traits>
#include <variant>

#include "platform/file_util.h"
#include "platform/hex_digit.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/user_dirs.h"

namespace orv {

namespace {

// The settings file's keys, in the order they are read and written, each with
// the record's member it fills (whose initial value is the default). A new
// setting is a member of TSettings and one line here.
struct Key {
  const char* section;
  const char* name;
  std::variant<std::string TSettings::*, int32_t TSettings::*, bool TSettings::*> member;
};
const Key kKeys[] = {
    {"BGIllust", "Folder", &TSettings::folder},       {"BGIllust", "ChangeSec", &TSettings::changeSec},
    {"BGIllust", "Extend", &TSettings::extend},       {"Filename", "PutFilename", &TSettings::putFilename},
    {"Filename", "PutFullPath", &TSettings::putFullPath},
    {"Filename", "PutExtention", &TSettings::putExtention},
    {"BGColor", "Enable", &TSettings::bgColorEnable}, {"BGColor", "Color", &TSettings::bgColor},
    {"Settings", "DrawMode", &TSettings::drawMode},   {"Settings", "AutoRotate", &TSettings::autoRotate},
    {"BGIllust", "SubFolders", &TSettings::subFolders},
    {"Settings", "FadeTime", &TSettings::fadeTime},
};

class AtomicWriter : public ISettingsFileWriter {
 public:
  int Replace(const std::string& path, const std::string& content) override {
    return ReplaceFileAtomically(path, content);
  }
};

// $XDG_CONFIG_HOME/orvanne/orvanne.ini; a relative XDG_CONFIG_HOME is
// invalid by the XDG rules and ignored.
std::string PerUserSettingsPath(const char* xdg_config_home, const char* home) {
  std::string config;
  if (xdg_config_home && xdg_config_home[0] == '/') config = xdg_config_home;
  else if (home && *home) config = std::string(home) + "/.config";
  else config = "/tmp";
  return config + "/orvanne/orvanne.ini";
}

}  // namespace

bool IsInstalledCopy(const std::string& program_path, const std::string& prefix) {
  const std::string under = IncludeTrailingSeparator(prefix);
  return !prefix.empty() && program_path.compare(0, under.size(), under) == 0;
}

std::string SettingsFilePathFor(const std::string& program_path, const std::string& prefix,
                                const char* xdg_config_home, const char* home) {
  return IsInstalledCopy(program_path, prefix) ? PerUserSettingsPath(xdg_config_home, home)
                                               : SettingsPathFor(program_path);
}

namespace {
std::string InstallPrefix() {
#ifdef ORV_INSTALL_PREFIX
  return ORV_INSTALL_PREFIX;
#else
  return std::string();
#endif
}
}  // namespace

std::string SettingsFilePath() {
  return SettingsFilePathFor(ProgramPath(), InstallPrefix(), std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string DefaultFolderFor(const std::string& program_path, const std::string& prefix,
                             const std::string& pictures) {
  // The folder of an installed program (/usr/bin) holds no pictures.
  if (IsInstalledCopy(program_path, prefix) && !pictures.empty()) return pictures;
  return FolderOf(program_path);
}
std::string DefaultFolder() { return DefaultFolderFor(ProgramPath(), InstallPrefix(), PicturesFolder()); }

int32_t ClampFadeTime(int32_t tenths) { return std::clamp<int32_t>(tenths, 0, kFadeTimeMax); }

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
  for (const Key& k : kKeys) {
    std::visit(
        [&](auto member) {
          auto& field = s.*member;
          using T = std::remove_reference_t<decltype(field)>;
          if constexpr (std::is_same_v<T, std::string>)
            field = ini.ReadString(k.section, k.name, field);
          else if constexpr (std::is_same_v<T, bool>)
            field = StrToIntDef(ini.ReadString(k.section, k.name, ""), field ? 1 : 0) != 0;
          else
            field = StrToIntDef(ini.ReadString(k.section, k.name, ""), field);
        },
        k.member);
  }
  return s;
}

void WriteSettings(const std::string& ini_path, const TSettings& values, ISettingsFileWriter* writer) {
  TIniFile ini = TIniFile::Load(ini_path);
  for (const Key& k : kKeys) {
    std::string text = std::visit(
        [&](auto member) -> std::string {
          const auto& field = values.*member;
          using T = std::remove_cvref_t<decltype(field)>;
          if constexpr (std::is_same_v<T, std::string>) {
            // A folder name may hold a line break here; the value ends where a
            // reader would end it, so that it cannot add lines or sections.
            return field.substr(0, field.find_first_of("\r\n"));
          } else if constexpr (std::is_same_v<T, bool>) {
            return field ? "1" : "0";
          } else {
            return std::to_string(field);
          }
        },
        k.member);
    ini.WriteString(k.section, k.name, text);
  }
  // The per-user folder of an installed copy may not exist yet; any other
  // missing folder is the caller's error, not ours to create.
  if (ini_path == PerUserSettingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"))) {
    const std::string folder = FolderOf(ini_path);
    for (size_t i = 1; i <= folder.size(); ++i)
      if (i == folder.size() || folder[i] == '/') ::mkdir(folder.substr(0, i).c_str(), 0700);
  }
  AtomicWriter atomic;
  int err = (writer ? writer : &atomic)->Replace(ini_path, ini.Content());
  if (err != 0) throw ESettingsWriteError(ORV_TRANSLATE_NOOP("Exception", "%s に書き込めません"), ini_path);
}

}  // namespace orv
