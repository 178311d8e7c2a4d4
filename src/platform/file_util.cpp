#include "platform/file_util.h"

#include "platform/exceptions.h"
#include "platform/stream.h"

namespace orv {

bool ReadWholeFile(const std::string& path, std::string* content) {
  try {
    TFileStream in(path, fmOpenRead);
    const int64_t size = in.Size();
    content->assign(size_t(size), '\0');
    content->resize(size_t(in.Read(content->data(), size)));
    return true;
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace orv
