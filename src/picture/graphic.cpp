#include "picture/graphic.h"

namespace orv {

bool TGraphicClass::InheritsFrom(const TGraphicClass* other) const {
  for (const TGraphicClass* c = this; c; c = c->parent)
    if (c == other) return true;
  return false;
}

void TGraphic::SaveToStream(TStream&) {
  throw EInvalidGraphic(std::string(ClassType()->name) + " は保存できません");
}

void TGraphic::Assign(const TGraphic& source) { AssignError(source.ClassType()->name, ClassType()->name); }

void TGraphic::SetTransparent(bool value) {
  if (value != transparent_) {
    transparent_ = value;
    Changed();
  }
}

void TGraphic::AssignError(const char* from, const char* to) {
  throw EConvertError(std::string(from ? from : "nil") + " を " + to + " に代入できません");
}

}  // namespace orv
