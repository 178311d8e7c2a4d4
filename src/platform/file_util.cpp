#include "platform/file_util.h"

#include <fstream>
#include <sstream>

namespace orv {

bool ReadWholeFile(const std::string& path, std::string* content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  *content = ss.str();
  return true;
}

}  // namespace orv
