// The user-interface language on Windows: English when the user's UI language
// is English, else Japanese (the texts as written), as the locale rule on Linux.
#pragma once

#include <string>

namespace orv::win32 {

bool EnglishUi();
// A text of the code in the user's language, as UTF-8.
std::string Tr(const char* context, const char* source);

}  // namespace orv::win32
