#include "platform/win32/ui_language.h"

#include <windows.h>

#include "platform/ts_texts.h"

namespace orv::win32 {

bool EnglishUi() {
  static const bool english = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_ENGLISH;
  return english;
}

std::string Tr(const char* context, const char* source) {
  if (EnglishUi()) {
    if (const std::string* text = EnglishTexts().Find(context, source)) return *text;
  }
  return source;
}

}  // namespace orv::win32
