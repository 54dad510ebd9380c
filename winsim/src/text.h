#pragma once

#include <string>
#include <string_view>

namespace winsim {

// Lone surrogates become U+FFFD: journal and image text must stay valid UTF-8.
std::string ToUtf8(const std::u16string& text);
std::u16string ToUtf16(const std::string& text);

// Names compare without regard to case: equal names have equal folds.
inline char16_t FoldCase(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }
std::u16string Fold(std::u16string_view text);
bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b);

// A NUL-terminated wide argument (WCHAR is 16 bits wide on every platform);
// null gives an empty text.
template <typename Char>
std::u16string_view FromArgument(const Char* text) {
  static_assert(sizeof(Char) == sizeof(char16_t));
  return text ? std::u16string_view(reinterpret_cast<const char16_t*>(text)) : std::u16string_view();
}

}  // namespace winsim
