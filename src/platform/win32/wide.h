// UTF-8 inside the program, UTF-16 at the W calls.
#pragma once

#include <string>

namespace orv::win32 {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const wchar_t* text, size_t size);
inline std::string Utf8(const std::wstring& text) { return Utf8(text.data(), text.size()); }

}  // namespace orv::win32
