// The PNG codec's error: a picture error carrying one of the codec's texts.
#pragma once

#include "platform/exceptions.h"

namespace orv {

class EPNGError : public EInvalidGraphic {
 public:
  using EInvalidGraphic::EInvalidGraphic;
};

}  // namespace orv
