#include "platform/user_dirs.h"

#include "platform/native.h"

namespace orv {

// The profile's own Pictures folder; empty without a profile.
std::string PicturesFolder() {
  const std::string profile = native::GetEnv("USERPROFILE");
  return profile.empty() ? std::string() : profile + "\\Pictures";
}

}  // namespace orv
