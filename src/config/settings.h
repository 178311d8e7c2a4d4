// The settings store: the values in an INI file beside the program. Both the
// display and the dialog read it; only the dialog's OK writes it.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/color.h"
#include "platform/exceptions.h"

namespace orv {

struct TSettings {
  std::string folder;            // BGIllust/Folder
  int32_t changeSec = 10;        // BGIllust/ChangeSec
  bool extend = true;            // BGIllust/Extend
  bool putFilename = false;      // Filename/PutFilename
  bool putFullPath = false;      // Filename/PutFullPath
  bool putExtention = true;      // Filename/PutExtention
  bool bgColorEnable = false;    // BGColor/Enable
  TColor bgColor = 0;            // BGColor/Color
  int32_t drawMode = 0;          // Settings/DrawMode
  bool autoRotate = true;        // Settings/AutoRotate: turn photos upright by their EXIF orientation
  bool subFolders = false;       // BGIllust/SubFolders: the pictures of every folder under Folder too
  int32_t fadeTime = 0;          // Settings/FadeTime: cross-fade in tenths of a second, 0 = a hard cut
};

// The cross-fade's time in tenths of a second: a value outside 0..3 s is
// brought to the nearest bound (below 0: a hard cut).
constexpr int32_t kFadeTimeMax = 30;

enum class TSettingType { kText, kInteger, kBoolean, kColor, kChoice };
// How xscreensaver's settings page shows a setting.
enum class TPageControl { kNone, kFile, kSlider, kCheckBox, kSelect };

// One setting: where the file keeps it, what it may hold, and the options
// and controls that set it. Its default is the member's initial value in
// TSettings. A new setting is a member there and a row here.
struct TSettingRow {
  const char* section;
  const char* key;
  std::variant<std::string TSettings::*, int32_t TSettings::*, bool TSettings::*> member;
  TSettingType type;
  int32_t low = 0, high = 0;  // integers and choices: the range the controls keep
  bool clampOnRead = false;   // brought within low..high where the file is read
  const char* dialogControl = nullptr;
  // Host options: one that takes a value, and switches that set 1 and 0.
  const char* hostValue = nullptr;
  const char* hostOn = nullptr;
  const char* hostOff = nullptr;
  bool TSettings::*hostValueAlsoSets = nullptr;  // turned on by the value option
  TPageControl page = TPageControl::kNone;
  const char* pageId = nullptr;
  const char* pageLabel = nullptr;
  const char* pageLowLabel = nullptr;   // a slider's ends; a choice's 0 and 1
  const char* pageHighLabel = nullptr;
};
// In the order the file is read and written.
const std::vector<TSettingRow>& SettingsTable();
// The value brought within the row's range.
int32_t ClampToRow(const TSettingRow& row, int32_t value);
// The built-in settings, the settings file left aside.
TSettings DefaultSettings(const std::string& default_folder);

// The settings file of the running program: for an installed copy (its real
// path lies under the install prefix compiled in) the per-user
// $XDG_CONFIG_HOME/orvanne/orvanne.ini, else its own path with ".ini".
std::string SettingsFilePath();
// The same rule with everything given: program path, install prefix, and
// the values of XDG_CONFIG_HOME and HOME (null when unset).
std::string SettingsFilePathFor(const std::string& program_path, const std::string& prefix,
                                const char* xdg_config_home, const char* home);
// Whether the program's real path lies under the install prefix.
bool IsInstalledCopy(const std::string& program_path, const std::string& prefix);
// The default folder: for an installed copy the user's pictures folder
// (pictures, when not empty), else the program's own folder.
std::string DefaultFolderFor(const std::string& program_path, const std::string& prefix,
                             const std::string& pictures);
std::string DefaultFolder();

// Integer parsing of the settings: decimal with an optional sign, or
// hexadecimal after "$" (a value of more than two characters starting with
// "0x" or "0X" counts as "$"); anything else, or a value outside 32 bits,
// gives def.
int32_t StrToIntDef(const std::string& text, int32_t def);

// Reads the values in their order; missing or unreadable values give the
// defaults (the folder's default is default_folder). Never fails.
TSettings ReadSettings(const std::string& ini_path, const std::string& default_folder);

// Replaces the settings file with new content in one step; returns 0 or an
// errno value. Injected so that a failing write can be tested.
class ISettingsFileWriter {
 public:
  virtual ~ISettingsFileWriter() = default;
  virtual int Replace(const std::string& path, const std::string& content) = 0;
};

class ESettingsWriteError : public Exception {
 public:
  using Exception::Exception;
};

// Writes all the keys in their order into the file's content (other content
// kept, missing sections and keys appended) and replaces the file once,
// creating a missing settings folder first. On
// failure raises ESettingsWriteError "%s に書き込めません" with the full path,
// and the file keeps its old content.
void WriteSettings(const std::string& ini_path, const TSettings& values,
                   ISettingsFileWriter* writer = nullptr);

}  // namespace orv
