#include "app/host_options.h"

#include <cerrno>
#include <cstdlib>
#include <type_traits>
#include <variant>

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

std::vector<THostOption> MakeTable() {
  std::vector<THostOption> table;
  for (const TSettingRow& row : SettingsTable()) {
    if (row.hostValue) table.push_back({row.hostValue, &row, THostAction::kValue});
    if (row.hostOn) table.push_back({row.hostOn, &row, THostAction::kOn});
    if (row.hostOff) table.push_back({row.hostOff, &row, THostAction::kOff});
  }
  return table;
}

void Apply(const THostOption& option, const std::string& value, TSettings& s) {
  const TSettingRow& row = *option.setting;
  std::visit(
      [&](auto member) {
        auto& field = s.*member;
        using T = std::remove_reference_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
          field = ExpandHome(value, std::getenv("HOME"));  // hosts pass ~ unexpanded
        } else if (option.action != THostAction::kValue) {
          field = T(option.action == THostAction::kOn ? 1 : 0);
        } else if constexpr (std::is_same_v<T, int32_t>) {
          if (row.type == TSettingType::kColor) {
            const std::optional<TColor> c = Color(value);
            if (!c) return;
            field = *c;
          } else {
            const std::optional<int32_t> n = Integer(value);
            if (!n) return;
            field = ClampToRow(row, *n);
          }
          if (row.hostValueAlsoSets) s.*row.hostValueAlsoSets = true;
        }
      },
      row.member);
}

std::string Quoted(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '"' ? "&quot;" : std::string(1, c);
  return '"' + out + '"';
}

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

const std::vector<THostOption>& HostOptionTable() {
  static const std::vector<THostOption> table = MakeTable();
  return table;
}

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
    if (name == "defaults") {
      cmd.builtInDefaults = true;
    } else if (name == "root") {
      hosted = true;
      cmd.target = THostTarget::kRoot;
    } else if (name == "window-id") {
      hosted = true;
      cmd.target = THostTarget::kWindowId;
      cmd.windowId = take_value();
    } else {
      for (size_t row = 0; row < HostOptionTable().size(); ++row) {
        if (name != HostOptionTable()[row].name) continue;
        cmd.options.push_back({row, HostOptionTable()[row].TakesValue() ? take_value() : std::string()});
        break;
      }
    }
  }
  if (!hosted) return std::nullopt;
  return cmd;
}

void ApplyHostOptions(const THostCommand& command, TSettings& settings, const std::string& default_folder) {
  if (command.builtInDefaults) settings = DefaultSettings(default_folder);
  for (const THostOptionValue& o : command.options) Apply(HostOptionTable()[o.row], o.value, settings);
}

std::string XScreensaverPage() {
  const TSettings defaults;
  std::string page =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<screensaver name=\"orvanne\" _label=\"Orvanne\">\n"
      "  <command arg=\"--root\"/>\n"
      "  <command arg=\"--defaults\"/>\n";
  for (const TSettingRow& row : SettingsTable()) {
    const std::string id = row.pageId ? row.pageId : "";
    switch (row.page) {
      case TPageControl::kNone:
        break;
      case TPageControl::kFile:
        page += "  <file id=" + Quoted(id) + " _label=" + Quoted(row.pageLabel) + " arg=\"--" + row.hostValue +
                " %\"/>\n";
        break;
      case TPageControl::kSlider: {
        const int32_t def = defaults.*std::get<int32_t TSettings::*>(row.member);
        page += "  <number id=" + Quoted(id) + " type=\"slider\" arg=\"--" + row.hostValue + " %\" _label=" +
                Quoted(row.pageLabel) + " _low-label=" + Quoted(row.pageLowLabel) + " _high-label=" +
                Quoted(row.pageHighLabel) + " low=\"" + std::to_string(row.low) + "\" high=\"" +
                std::to_string(row.high) + "\" default=\"" + std::to_string(def) + "\"/>\n";
        break;
      }
      case TPageControl::kCheckBox: {
        // Only a change from the default is passed.
        const bool def = defaults.*std::get<bool TSettings::*>(row.member);
        page += "  <boolean id=" + Quoted(id) + " _label=" + Quoted(row.pageLabel) +
                (def ? " arg-unset=\"--" + std::string(row.hostOff) : " arg-set=\"--" + std::string(row.hostOn)) +
                "\"/>\n";
        break;
      }
      case TPageControl::kSelect: {
        const int32_t def = defaults.*std::get<int32_t TSettings::*>(row.member);
        auto option = [&](const char* option_id, const char* label, int32_t value) {
          page += "    <option id=" + Quoted(option_id) + " _label=" + Quoted(label);
          if (value != def) page += " arg-set=\"--" + std::string(value ? row.hostOn : row.hostOff) + "\"";
          page += "/>\n";
        };
        page += "  <select id=" + Quoted(id) + ">\n";
        option(row.hostOff, row.pageLowLabel, 0);
        option(row.hostOn, row.pageHighLabel, 1);
        page += "  </select>\n";
        break;
      }
    }
  }
  page +=
      "  <_description>Shows the pictures of a folder one after another, fitted to the screen.</_description>\n"
      "</screensaver>\n";
  return page;
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
