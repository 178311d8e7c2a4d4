#include "display/caption.h"

#include "platform/paths.h"

namespace orv {

std::string CaptionText(const std::string& path, bool putFullPath, bool putExtention) {
  const size_t name_start = path.size() - ExtractFileName(path).size();
  std::string text = path;
  size_t name_in_text = name_start;
  if (!putFullPath) {
    text = path.substr(name_start);
    name_in_text = 0;
  }
  if (!putExtention) {
    const size_t dot = text.rfind('.');
    if (dot != std::string::npos && dot >= name_in_text) text.erase(dot);
  }
  return text;
}

}  // namespace orv
