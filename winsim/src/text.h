#pragma once

#include <string>

namespace winsim {

// Lone surrogates become U+FFFD: journal and image text must stay valid UTF-8.
std::string ToUtf8(const std::u16string& text);
std::u16string ToUtf16(const std::string& text);

bool EqualsIgnoreCase(const std::u16string& a, const std::u16string& b);
bool EqualsIgnoreCase(const std::string& a, const std::string& b);

// Text of a NUL-terminated wide argument; null gives an empty text.
std::u16string FromArgument(const char16_t* text);

}  // namespace winsim
