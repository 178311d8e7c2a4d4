// An INI file in memory with the semantics of the Windows profile functions:
// section and key names match without regard to case, values are read
// without surrounding blanks and without one pair of enclosing quotes, at most
// 2047 characters of a value are seen, a missing key or section is appended
// when written, and every other line is kept as it was. In memory the text is
// UTF-8; the file is in the system's ANSI code page (CP932, CP1252, ...) as
// the profile functions write it, or UTF-16 with a byte-order mark, which
// they also read.
#pragma once

#include <string>
#include <vector>

namespace orv {

class TIniFile {
 public:
  static constexpr size_t kMaxValueLength = 2047;

  TIniFile() : TIniFile(std::string()) {}
  explicit TIniFile(const std::string& content);

  // Reads a file; a missing or unreadable file gives an empty document.
  // code_page 0 takes the bytes as they are (UTF-8).
  static TIniFile Load(const std::string& path, unsigned code_page);
  static TIniFile Load(const std::string& path);  // in the system's code page
  static TIniFile FromFileBytes(const std::string& bytes, unsigned code_page);
  // The file's bytes: in its own encoding when it had a byte-order mark, else
  // in code_page; UTF-16 when the code page cannot hold every character.
  std::string FileBytes(unsigned code_page) const;

  // The value of section/key, or def when the key is absent.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  bool HasKey(const std::string& section, const std::string& key) const;
  // Sets a value, appending the key at the end of its section and the section
  // at the end of the document when they are missing.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);

  std::string Content() const;

 private:
  // Index of the section header line, or -1.
  int FindSection(const std::string& section) const;
  // Index of the key's line within the section starting at header, or -1.
  int FindKey(int header, const std::string& key) const;
  int SectionEnd(int header) const;

  std::vector<std::string> lines_;  // without their line ends
  std::string eol_;
  enum class Encoding { kCodePage, kUtf8Bom, kUtf16 } encoding_ = Encoding::kCodePage;
  bool final_eol_ = true;
};

}  // namespace orv
