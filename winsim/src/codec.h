#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "json.h"

namespace winsim {

// Raw little-endian bytes, as the platform stores them.
using Bytes = std::string;

// How a type's bytes are written in an image when they are well formed.
enum class Form { Number32, Number64, Text, Texts, Hex };

std::string ToHex(const void* data, size_t length);
std::optional<Bytes> FromHex(const std::string& hex);

// The bytes a "value"/"data" form stands for; nothing when it does not fit.
std::optional<Bytes> Decode(Form form, const Json& value);
// The form that gives exactly these bytes back, or null: then only hex will do.
Json Encode(Form form, const Bytes& bytes);

// An entry's bytes from its `valueField` or its "hex"; throws std::invalid_argument.
Bytes EntryBytes(const Json& entry, const char* valueField, Form form, const std::string& where);
// Puts the bytes into an entry as `valueField` when well formed, else as lower-case "hex".
void PutBytes(Json& entry, const char* valueField, Form form, const Bytes& bytes);

// Image fields: each throws std::invalid_argument naming `where` when the
// field is not what it must be; a missing field takes the fallback, if any.
[[noreturn]] void Invalid(const std::string& where, const std::string& what);
uint32_t Number32(const Json& object, const char* field, const std::string& where,
                  std::optional<uint32_t> fallback = std::nullopt);
std::string TextField(const Json& object, const char* field, const std::string& where);
// An array field, empty when missing or null.
const Json& ArrayField(const Json& object, const char* field, const std::string& where);

}  // namespace winsim
