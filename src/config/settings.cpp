#include "config/settings.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <type_traits>
#include <variant>

#include "config/config_rules.h"
#include "platform/file_util.h"
#include "platform/native.h"
#include "platform/hex_digit.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/user_dirs.h"

namespace orv {

namespace {

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
  const std::string xdg = native::GetEnv("XDG_CONFIG_HOME"), home = native::GetEnv("HOME");
  return SettingsFilePathFor(ProgramPath(), InstallPrefix(), xdg.c_str(), home.c_str());
}

std::string DefaultFolderFor(const std::string& program_path, const std::string& prefix,
                             const std::string& pictures) {
  // The folder of an installed program (/usr/bin) holds no pictures.
  if (IsInstalledCopy(program_path, prefix) && !pictures.empty()) return pictures;
  return FolderOf(program_path);
}
std::string DefaultFolder() { return DefaultFolderFor(ProgramPath(), InstallPrefix(), PicturesFolder()); }

namespace {

using P = TPageControl;
// The settings page speaks English, the host's own language.
const TSettingRow kRows[] = {
    {.section = "BGIllust", .key = "Folder", .member = &TSettings::folder, .type = TSettingType::kText,
     .dialogControl = "edtIllustFolder", .hostValue = "folder", .page = P::kFile, .pageId = "folder",
     .pageLabel = "Picture folder"},
    {.section = "BGIllust", .key = "ChangeSec", .member = &TSettings::changeSec, .type = TSettingType::kInteger,
     .low = kChangeSecMin, .high = kChangeSecMax, .dialogControl = "updIllustChangeSec", .hostValue = "delay",
     .page = P::kSlider, .pageId = "delay", .pageLabel = "Change every", .pageLowLabel = "1 second",
     .pageHighLabel = "60 seconds"},
    {.section = "BGIllust", .key = "Extend", .member = &TSettings::extend, .type = TSettingType::kBoolean,
     .dialogControl = "chkIllustExtend", .hostOn = "enlarge", .hostOff = "no-enlarge", .page = P::kCheckBox,
     .pageId = "enlarge", .pageLabel = "Enlarge small pictures"},
    {.section = "Filename", .key = "PutFilename", .member = &TSettings::putFilename,
     .type = TSettingType::kBoolean, .dialogControl = "chkPutFilename", .hostOn = "caption",
     .hostOff = "no-caption", .page = P::kCheckBox, .pageId = "caption", .pageLabel = "Show file name"},
    {.section = "Filename", .key = "PutFullPath", .member = &TSettings::putFullPath,
     .type = TSettingType::kBoolean, .dialogControl = "chkPutFullPath", .hostOn = "full-path",
     .hostOff = "no-full-path", .page = P::kCheckBox, .pageId = "fullpath", .pageLabel = "Show full path"},
    {.section = "Filename", .key = "PutExtention", .member = &TSettings::putExtention,
     .type = TSettingType::kBoolean, .dialogControl = "chkPutExtention", .hostOn = "extension",
     .hostOff = "no-extension", .page = P::kCheckBox, .pageId = "extension", .pageLabel = "Show extension"},
    {.section = "BGColor", .key = "Enable", .member = &TSettings::bgColorEnable, .type = TSettingType::kBoolean,
     .dialogControl = "chkBackColorEnable", .hostOff = "no-background-color"},
    {.section = "BGColor", .key = "Color", .member = &TSettings::bgColor, .type = TSettingType::kColor,
     .dialogControl = "lblColor", .hostValue = "background-color", .hostValueAlsoSets = &TSettings::bgColorEnable},
    {.section = "Settings", .key = "DrawMode", .member = &TSettings::drawMode, .type = TSettingType::kChoice,
     .low = -1, .high = 1, .dialogControl = "RadioGroup", .hostOn = "buffered", .hostOff = "unbuffered",
     .page = P::kSelect, .pageId = "drawmode", .pageLowLabel = "No buffer",
     .pageHighLabel = "Buffered (choose this if the display flickers)"},
    {.section = "Settings", .key = "AutoRotate", .member = &TSettings::autoRotate, .type = TSettingType::kBoolean,
     .dialogControl = "chkAutoRotate"},
    {.section = "BGIllust", .key = "SubFolders", .member = &TSettings::subFolders, .type = TSettingType::kBoolean,
     .dialogControl = "chkSubFolders", .hostOn = "subfolders", .hostOff = "no-subfolders", .page = P::kCheckBox,
     .pageId = "subfolders", .pageLabel = "Include subfolders"},
    {.section = "Settings", .key = "FadeTime", .member = &TSettings::fadeTime, .type = TSettingType::kInteger,
     .low = 0, .high = kFadeTimeMax, .clampOnRead = true, .dialogControl = "spnFadeTime", .hostValue = "fade",
     .page = P::kSlider, .pageId = "fade", .pageLabel = "Fade between pictures (tenths of a second)",
     .pageLowLabel = "Off", .pageHighLabel = "3 seconds"},
};

}  // namespace

const std::vector<TSettingRow>& SettingsTable() {
  // Built on first use: other files' static tables are made from it.
  static const std::vector<TSettingRow> rows(std::begin(kRows), std::end(kRows));
  return rows;
}

int32_t ClampToRow(const TSettingRow& row, int32_t value) { return std::clamp(value, row.low, row.high); }

TSettings DefaultSettings(const std::string& default_folder) {
  TSettings s;
  s.folder = default_folder;
  return s;
}

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
  TSettings s = DefaultSettings(default_folder);
  for (const TSettingRow& k : kRows) {
    std::visit(
        [&](auto member) {
          auto& field = s.*member;
          using T = std::remove_reference_t<decltype(field)>;
          if constexpr (std::is_same_v<T, std::string>)
            field = ini.ReadString(k.section, k.key, field);
          else if constexpr (std::is_same_v<T, bool>)
            field = StrToIntDef(ini.ReadString(k.section, k.key, ""), field ? 1 : 0) != 0;
          else
            field = StrToIntDef(ini.ReadString(k.section, k.key, ""), field);
          if constexpr (std::is_same_v<T, int32_t>)
            if (k.clampOnRead) field = ClampToRow(k, field);
        },
        k.member);
  }
  return s;
}

void WriteSettings(const std::string& ini_path, const TSettings& values, ISettingsFileWriter* writer) {
  TIniFile ini = TIniFile::Load(ini_path);
  for (const TSettingRow& k : kRows) {
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
    ini.WriteString(k.section, k.key, text);
  }
  // The per-user folder of an installed copy may not exist yet; any other
  // missing folder is the caller's error, not ours to create.
  const std::string xdg = native::GetEnv("XDG_CONFIG_HOME"), home = native::GetEnv("HOME");
  if (ini_path == PerUserSettingsPath(xdg.c_str(), home.c_str())) {
    const std::string folder = FolderOf(ini_path);
    for (size_t i = 1; i <= folder.size(); ++i)
      if (i == folder.size() || native::IsPathDelimiter(folder[i])) native::CreateFolder(folder.substr(0, i));
  }
  AtomicWriter atomic;
  int err = (writer ? writer : &atomic)->Replace(ini_path, ini.FileBytes(native::AnsiCodePage()));
  if (err != 0) throw ESettingsWriteError(ORV_TRANSLATE_NOOP("Exception", "%s に書き込めません"), ini_path);
}

}  // namespace orv
