#include "platform/ini_file.h"

#include <fstream>
#include <sstream>

#include "platform/paths.h"

namespace orv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && IsBlank(s[a])) ++a;
  while (b > a && IsBlank(s[b - 1])) --b;
  return s.substr(a, b - a);
}

bool SameName(const std::string& a, const std::string& b) { return AsciiLower(a) == AsciiLower(b); }

// The section name of a header line, or false when the line is no header.
bool SectionName(const std::string& line, std::string* name) {
  std::string t = Trim(line);
  if (t.empty() || t[0] != '[') return false;
  auto close = t.find(']');
  *name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

// Splits "key = value"; false when the line has no "=".
bool KeyValue(const std::string& line, std::string* key, std::string* value) {
  auto eq = line.find('=');
  if (eq == std::string::npos) return false;
  *key = Trim(line.substr(0, eq));
  if (value) *value = Trim(line.substr(eq + 1));
  return true;
}

// Cuts a value to the profile buffer without splitting a UTF-8 sequence.
std::string CutValue(std::string v) {
  if (v.size() <= TIniFile::kMaxValueLength) return v;
  size_t n = TIniFile::kMaxValueLength;
  while (n > 0 && (static_cast<unsigned char>(v[n]) & 0xC0) == 0x80) --n;
  v.resize(n);
  return v;
}

}  // namespace

TIniFile::TIniFile(const std::string& content) {
  if (content.find("\r\n") != std::string::npos) eol_ = "\r\n";
  final_eol_ = content.empty() || content.back() == '\n';
  size_t i = 0;
  while (i < content.size()) {
    size_t j = content.find('\n', i);
    if (j == std::string::npos) j = content.size();
    std::string line = content.substr(i, j - i);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(std::move(line));
    i = j + 1;
  }
}

TIniFile TIniFile::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return TIniFile();
  std::ostringstream ss;
  ss << in.rdbuf();
  return TIniFile(ss.str());
}

int TIniFile::FindSection(const std::string& section) const {
  std::string name;
  for (size_t i = 0; i < lines_.size(); ++i)
    if (SectionName(lines_[i], &name) && SameName(name, section)) return int(i);
  return -1;
}

int TIniFile::SectionEnd(int header) const {
  std::string name;
  size_t i = size_t(header) + 1;
  while (i < lines_.size() && !SectionName(lines_[i], &name)) ++i;
  return int(i);
}

int TIniFile::FindKey(int header, const std::string& key) const {
  int end = SectionEnd(header);
  std::string k;
  for (int i = header + 1; i < end; ++i)
    if (KeyValue(lines_[size_t(i)], &k, nullptr) && SameName(k, key)) return i;
  return -1;
}

bool TIniFile::HasKey(const std::string& section, const std::string& key) const {
  int header = FindSection(section);
  return header >= 0 && FindKey(header, key) >= 0;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
  int header = FindSection(section);
  if (header < 0) return CutValue(def);
  int line = FindKey(header, key);
  if (line < 0) return CutValue(def);
  std::string k, v;
  KeyValue(lines_[size_t(line)], &k, &v);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return CutValue(v);
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  int header = FindSection(section);
  if (header < 0) {
    lines_.push_back("[" + section + "]");
    lines_.push_back(key + "=" + value);
    final_eol_ = true;
    return;
  }
  int line = FindKey(header, key);
  if (line >= 0) {
    std::string k;
    KeyValue(lines_[size_t(line)], &k, nullptr);
    lines_[size_t(line)] = k + "=" + value;
    return;
  }
  // After the section's last non-blank line, so blank separators stay between sections.
  int pos = SectionEnd(header);
  while (pos > header + 1 && Trim(lines_[size_t(pos - 1)]).empty()) --pos;
  lines_.insert(lines_.begin() + pos, key + "=" + value);
  if (pos == int(lines_.size()) - 1) final_eol_ = true;
}

std::string TIniFile::Content() const {
  std::string out;
  for (size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i];
    if (i + 1 < lines_.size() || final_eol_) out += eol_;
  }
  return out;
}

}  // namespace orv
