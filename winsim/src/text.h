#pragma once

#include <string>

namespace winsim {

// Lone surrogates become U+FFFD: journal and image text must stay valid UTF-8.
std::string ToUtf8(const std::u16string& text);
std::u16string ToUtf16(const std::string& text);

// Names compare without regard to case: equal names have equal folds.
std::u16string Fold(std::u16string text);
bool EqualsIgnoreCase(const std::u16string& a, const std::u16string& b);

// Text of a NUL-terminated wide argument (WCHAR is 16 bits wide on every
// platform); null gives an empty text.
template <typename Char>
std::u16string FromArgument(const Char* text) {
  std::u16string units;
  for (; text && *text; ++text) units += static_cast<char16_t>(*text);
  return units;
}

}  // namespace winsim
