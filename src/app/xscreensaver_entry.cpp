#include "app/xscreensaver_entry.h"

#include <sstream>
#include <vector>

namespace orv {

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool EndsWithBackslash(const std::string& line) {
  const size_t end = line.find_last_not_of(" \t");
  return end != std::string::npos && line[end] == '\\';
}

// The first line of the resource name (with or without the app-defaults'
// leading "*") and the last line of its value, which goes on while a line
// ends in a backslash; nullopt without one.
std::optional<std::pair<size_t, size_t>> FindResource(const std::vector<std::string>& lines, const std::string& name) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const size_t start = lines[i].find_first_not_of(" \t");
    if (start == std::string::npos) continue;
    std::string head = lines[i].substr(start);
    if (head[0] == '*') head.erase(0, 1);
    if (head.compare(0, name.size(), name) != 0) continue;
    const size_t colon = head.find_first_not_of(" \t", name.size());
    if (colon == std::string::npos || head[colon] != ':') continue;
    size_t last = i;
    while (EndsWithBackslash(lines[last]) && last + 1 < lines.size()) ++last;
    return std::make_pair(i, last);
  }
  return std::nullopt;
}

// Whether an entry of the list (the text between "\n" separators) runs a
// program named orvanne: [-] ["Name"] [visual:] command ...
bool RunsOrvanne(std::string entry) {
  for (char& c : entry)
    if (c == '\\' || c == '\n' || c == '\t') c = ' ';
  size_t i = entry.find_first_not_of(' ');
  if (i != std::string::npos && entry[i] == '-') i = entry.find_first_not_of(' ', i + 1);
  if (i != std::string::npos && entry[i] == '"') {
    const size_t close = entry.find('"', i + 1);
    i = close == std::string::npos ? close : entry.find_first_not_of(' ', close + 1);
  }
  if (i == std::string::npos) return false;
  size_t end = entry.find(' ', i);
  std::string word = entry.substr(i, end == std::string::npos ? end : end - i);
  if (!word.empty() && word.back() == ':') {  // a visual such as "GL:"
    i = end == std::string::npos ? end : entry.find_first_not_of(' ', end);
    if (i == std::string::npos) return false;
    end = entry.find(' ', i);
    word = entry.substr(i, end == std::string::npos ? end : end - i);
  }
  const size_t slash = word.rfind('/');
  return word.substr(slash == std::string::npos ? 0 : slash + 1) == "orvanne";
}

bool ListRunsOrvanne(const std::vector<std::string>& lines, size_t first, size_t last) {
  std::string value;
  for (size_t i = first; i <= last; ++i) value += lines[i].substr(i == first ? lines[i].find(':') + 1 : 0) + "\n";
  for (size_t from = 0;;) {
    const size_t sep = value.find("\\n", from);
    if (RunsOrvanne(value.substr(from, sep == std::string::npos ? sep : sep - from))) return true;
    if (sep == std::string::npos) return false;
    from = sep + 2;
  }
}

// Appends our entry after the list's last line (which ends with "\n" or is
// the bare "programs:"), continuing that line with a backslash.
void AppendEntry(std::vector<std::string>& lines, size_t last) {
  std::string& tail = lines[last];
  tail.erase(tail.find_last_not_of(" \t") + 1);
  if (EndsWithBackslash(tail)) tail.erase(tail.size() - 1);  // a list cut off by the end of the file
  tail += " \\";
  lines.insert(lines.begin() + last + 1, std::string("\t\t\t\t") + kXscreensaverEntry + "\t\t    \\n");
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

}  // namespace

TXscreensaverFile WithXscreensaverEntry(const std::optional<std::string>& user, const std::string& system_defaults) {
  std::vector<std::string> lines = user ? Lines(*user) : std::vector<std::string>();
  std::optional<std::pair<size_t, size_t>> list = FindResource(lines, "programs");
  if (!list) {
    // Without a list of their own the user has the system's: start from it.
    const std::vector<std::string> defaults = Lines(system_defaults);
    const std::optional<std::pair<size_t, size_t>> found = FindResource(defaults, "programs");
    if (!found) return {TEntryResult::kNoList, {}};
    if (!lines.empty() && !lines.back().empty()) lines.push_back("");
    const size_t first = lines.size();
    lines.insert(lines.end(), defaults.begin() + found->first, defaults.begin() + found->second + 1);
    std::string& head = lines[first];
    head.erase(0, head.find_first_not_of(" \t"));
    if (head[0] == '*') head.erase(0, 1);
    list = std::make_pair(first, first + (found->second - found->first));
  }
  if (ListRunsOrvanne(lines, list->first, list->second)) return {TEntryResult::kPresent, {}};
  AppendEntry(lines, list->second);
  return {TEntryResult::kAdded, Join(lines)};
}

}  // namespace orv
