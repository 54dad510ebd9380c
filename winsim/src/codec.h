#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace winsim {

// Ordered, so that an image written back keeps the order it was loaded in.
using Json = nlohmann::ordered_json;

// Lone surrogates become U+FFFD: journal and image text must stay valid UTF-8.
std::string ToUtf8(const std::u16string& text);
std::u16string ToUtf16(const std::string& text);

// Names compare as on Windows: each UTF-16 unit after its simple upper-case
// mapping, with no locale. Equal names have equal folds.
char16_t UpperCaseBeyondAscii(char16_t c);
inline char16_t FoldCase(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  return UpperCaseBeyondAscii(c);
}
// Into a caller's string, to reuse its storage.
void FoldInto(std::u16string& into, std::u16string_view text);
inline std::u16string Fold(std::u16string_view text) {
  std::u16string folded;
  FoldInto(folded, text);
  return folded;
}
inline bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// A NUL-terminated wide argument (WCHAR is 16 bits everywhere); null is empty.
template <typename Char>
std::u16string_view FromArgument(const Char* text) {
  static_assert(sizeof(Char) == sizeof(char16_t));
  return text ? std::u16string_view(reinterpret_cast<const char16_t*>(text)) : std::u16string_view();
}

// Json::parse, its result and its exceptions, without its cost on a large image: an ordered object's
// members sit in a vector whose growth copies every member already parsed, whole subtrees included.
Json ParseJson(const std::string& text);

// Raw little-endian bytes, as the platform stores them.
using Bytes = std::string;

// How a type's bytes are written in an image when they are well formed.
enum class Form { Number32, Number64, Text, Texts, Hex };
Form RegistryForm(uint32_t type);
Form MetabaseForm(uint32_t dataType);

// How deep keys nest below their root, metabase and registry alike: the depth
// Windows documents for the registry. A deeper image is not an image.
constexpr size_t kMaxKeyDepth = 512;

std::string ToHex(const void* data, size_t length);

// An entry's bytes from its `valueField` or its "hex"; throws std::invalid_argument.
Bytes EntryBytes(const Json& entry, const char* valueField, Form form, const std::string& where);
// Puts the bytes into an entry as `valueField` when well formed, else as lower-case "hex".
void PutBytes(Json& entry, const char* valueField, Form form, const Bytes& bytes);

// Image fields: std::invalid_argument naming `where` unless well formed (or missing, with a fallback).
[[noreturn]] void Invalid(const std::string& where, const std::string& what);
uint32_t Number32(const Json& object, const char* field, const std::string& where,
                  std::optional<uint32_t> fallback = std::nullopt);
std::string TextField(const Json& object, const char* field, const std::string& where);
// An array field, empty when missing or null.
const Json& ArrayField(const Json& object, const char* field, const std::string& where);

// The built-in image of a fresh IIS 6 machine, embedded at build time.
std::string StockImageText();

}  // namespace winsim
