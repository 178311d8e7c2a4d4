#include "platform/ts_texts.h"

namespace orv {

namespace {

std::string Unescape(std::string_view s) {
  static const std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    bool replaced = false;
    if (s[i] == '&') {
      for (const auto& [name, c] : kEntities) {
        if (s.substr(i, name.size()) == name) {
          out += c;
          i += name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += s[i++];
  }
  return out;
}

// The text between <tag...> and </tag> at or after pos, within [pos, end); the
// whole element is skipped. Empty view (and pos unchanged) when there is none.
bool Element(std::string_view ts, std::string_view tag, size_t& pos, size_t end, std::string_view& text,
             std::string_view& attributes) {
  const std::string open = "<" + std::string(tag);
  const std::string close = "</" + std::string(tag) + ">";
  size_t at = ts.find(open, pos);
  while (at != std::string_view::npos && at < end) {
    const char next = at + open.size() < ts.size() ? ts[at + open.size()] : '\0';
    if (next == '>' || next == ' ' || next == '/') break;
    at = ts.find(open, at + 1);
  }
  if (at == std::string_view::npos || at >= end) return false;
  const size_t head_end = ts.find('>', at);
  if (head_end == std::string_view::npos || head_end >= end) return false;
  attributes = ts.substr(at + open.size(), head_end - at - open.size());
  if (ts[head_end - 1] == '/') {  // <translation/>
    text = {};
    pos = head_end + 1;
    return true;
  }
  const size_t tail = ts.find(close, head_end);
  if (tail == std::string_view::npos || tail >= end) return false;
  text = ts.substr(head_end + 1, tail - head_end - 1);
  pos = tail + close.size();
  return true;
}

}  // namespace

TTextTable TTextTable::Parse(std::string_view ts) {
  TTextTable table;
  std::string_view context_body, attributes;
  size_t pos = 0;
  while (Element(ts, "context", pos, ts.size(), context_body, attributes)) {
    const size_t base = context_body.data() - ts.data();
    const size_t end = base + context_body.size();
    size_t at = base;
    std::string_view name;
    if (!Element(ts, "name", at, end, name, attributes)) continue;
    std::string_view message;
    while (Element(ts, "message", at, end, message, attributes)) {
      const size_t mbase = message.data() - ts.data();
      const size_t mend = mbase + message.size();
      size_t m = mbase;
      std::string_view source, translation, source_attributes, translation_attributes;
      if (!Element(ts, "source", m, mend, source, source_attributes)) continue;
      if (!Element(ts, "translation", m, mend, translation, translation_attributes)) continue;
      if (translation.empty() || translation_attributes.find("unfinished") != std::string_view::npos ||
          translation_attributes.find("obsolete") != std::string_view::npos ||
          translation_attributes.find("vanished") != std::string_view::npos)
        continue;
      table.texts_[{Unescape(name), Unescape(source)}] = Unescape(translation);
    }
  }
  return table;
}

const std::string* TTextTable::Find(std::string_view context, std::string_view source) const {
  auto it = texts_.find(std::pair<std::string, std::string>(context, source));
  return it == texts_.end() ? nullptr : &it->second;
}

}  // namespace orv
