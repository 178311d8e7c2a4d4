// The English texts of a translation source (.ts) file, read without Qt:
// faces that are not Qt look their texts up here.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace orv {

class TTextTable {
 public:
  // Reads the <context>/<message> entries; unfinished or empty translations are left out.
  static TTextTable Parse(std::string_view ts);
  // The translation of source in context, or nullptr.
  const std::string* Find(std::string_view context, std::string_view source) const;
  size_t Size() const { return texts_.size(); }

 private:
  std::map<std::pair<std::string, std::string>, std::string, std::less<>> texts_;
};

// The English texts shipped with the program (translations/orvanne_en.ts, built in).
const TTextTable& EnglishTexts();

}  // namespace orv
