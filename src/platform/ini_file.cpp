#include "platform/ini_file.h"

#include "platform/file_util.h"
#include "platform/native.h"
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

// UTF-16 (little-endian) and UTF-8; unpaired surrogates and broken
// sequences become U+FFFD.
std::string Utf16LeToUtf8(const std::string& b) {
  std::string out;
  auto unit = [&](size_t i) { return uint32_t(uint8_t(b[i])) | uint32_t(uint8_t(b[i + 1])) << 8; };
  for (size_t i = 0; i + 1 < b.size(); i += 2) {
    uint32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < b.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Utf8ToUtf16Le(const std::string& s) {
  std::string out;
  auto put = [&](uint32_t u) {
    out += char(u & 0xFF);
    out += char(u >> 8);
  };
  for (size_t i = 0; i < s.size();) {
    const uint8_t b0 = uint8_t(s[i]);
    const int len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
    uint32_t c = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    bool ok = len > 0 && i + size_t(len) <= s.size();
    for (int k = 1; ok && k < len; ++k) {
      const uint8_t bk = uint8_t(s[i + size_t(k)]);
      ok = (bk & 0xC0) == 0x80;
      c = (c << 6) | (bk & 0x3F);
    }
    if (!ok) {
      put(0xFFFD);
      ++i;
      continue;
    }
    i += size_t(len);
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
  return out;
}

}  // namespace

TIniFile::TIniFile(const std::string& content) {
  if (content.find("\r\n") != std::string::npos) eol_ = "\r\n";
  else if (content.find('\n') != std::string::npos) eol_ = "\n";
  else eol_ = native::kLineEnd;
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

TIniFile TIniFile::Load(const std::string& path, unsigned code_page) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return TIniFile();
  return FromFileBytes(bytes, code_page);
}

TIniFile TIniFile::Load(const std::string& path) { return Load(path, native::AnsiCodePage()); }

TIniFile TIniFile::FromFileBytes(const std::string& bytes, unsigned code_page) {
  std::string text;
  Encoding encoding = Encoding::kCodePage;
  if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
    encoding = Encoding::kUtf16;
    text = Utf16LeToUtf8(bytes.substr(2));
  } else if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    encoding = Encoding::kUtf8Bom;
    text = bytes.substr(3);
  } else if (code_page == 0 || !native::CodePageToUtf8(code_page, bytes, &text)) {
    text = bytes;  // not valid in the code page: kept byte for byte
  }
  TIniFile ini(text);
  ini.encoding_ = encoding;
  return ini;
}

std::string TIniFile::FileBytes(unsigned code_page) const {
  const std::string text = Content();
  if (encoding_ == Encoding::kUtf8Bom) return "\xEF\xBB\xBF" + text;
  if (encoding_ == Encoding::kCodePage) {
    if (code_page == 0) return text;
    std::string out;
    if (native::Utf8ToCodePage(code_page, text, &out)) return out;
  }
  return "\xFF\xFE" + Utf8ToUtf16Le(text);
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
