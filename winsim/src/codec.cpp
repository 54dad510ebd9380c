#include "codec.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>
#include <vector>

namespace winsim {
namespace {

struct UpperCaseRange {
  char16_t first, last;
  uint8_t step;
  char16_t delta;
};
constexpr UpperCaseRange kUpperCase[] = {
#include "upper_case.inc"
};

Bytes UnitBytes(const std::u16string& units) {
  Bytes bytes;
  bytes.reserve(units.size() * 2);
  for (char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::u16string BytesUnits(const Bytes& bytes) {
  std::u16string units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    units += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
  return units;
}

Bytes NumberBytes(uint64_t number, size_t size) {
  Bytes bytes;
  for (size_t i = 0; i < size; ++i) bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
  return bytes;
}

Json Candidate(Form form, const Bytes& bytes) {
  if (form == Form::Number32 || form == Form::Number64) {
    if (bytes.size() != (form == Form::Number32 ? 4u : 8u)) return Json();
    uint64_t number = 0;
    for (size_t i = bytes.size(); i-- > 0;) number = (number << 8) | static_cast<uint8_t>(bytes[i]);
    return number;
  }
  if (form == Form::Hex || bytes.size() < 2 || bytes.size() % 2) return Json();
  const std::u16string units = BytesUnits(bytes);
  if (units.back() != 0) return Json();
  if (form == Form::Text) {
    const std::u16string text = units.substr(0, units.size() - 1);
    return text.find(u'\0') == std::u16string::npos ? Json(ToUtf8(text)) : Json();
  }
  Json entries = Json::array();
  for (size_t start = 0; start + 1 < units.size();) {
    const size_t end = units.find(u'\0', start);
    if (end == start) return Json();  // an empty entry would end the list early
    entries.push_back(ToUtf8(units.substr(start, end - start)));
    start = end + 1;
  }
  return entries;
}

std::optional<Bytes> FromHex(const std::string& hex) {
  if (hex.size() % 2 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return std::nullopt;
  Bytes bytes;
  for (size_t i = 0; i < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

std::optional<Bytes> Decode(Form form, const Json& value) {
  switch (form) {
    case Form::Number32:
    case Form::Number64:
      if (!value.is_number_unsigned() || (form == Form::Number32 && value.get<uint64_t>() > 0xFFFFFFFFu)) break;
      return NumberBytes(value.get<uint64_t>(), form == Form::Number32 ? 4 : 8);
    case Form::Text:
      if (!value.is_string()) break;
      return UnitBytes(ToUtf16(value.get<std::string>()) + u'\0');
    case Form::Texts: {
      if (!value.is_array()) break;
      std::u16string units;
      for (const auto& entry : value) {
        if (!entry.is_string()) return std::nullopt;
        units += ToUtf16(entry.get<std::string>()) + u'\0';
      }
      if (units.empty() || !value.empty()) units += u'\0';
      return UnitBytes(units);
    }
    case Form::Hex:
      break;
  }
  return std::nullopt;
}

}  // namespace

char16_t UpperCaseBeyondAscii(char16_t c) {
  const auto* range = std::upper_bound(std::begin(kUpperCase), std::end(kUpperCase), c,
                                       [](char16_t unit, const UpperCaseRange& r) { return unit < r.first; });
  if (range == std::begin(kUpperCase) || c > (--range)->last || (c - range->first) % range->step) return c;
  return static_cast<char16_t>(c + range->delta);
}

// The numbers are the platform's REG_* and *_METADATA types.
Form RegistryForm(uint32_t type) {
  if (type == 1 || type == 2) return Form::Text;  // REG_SZ, REG_EXPAND_SZ
  if (type == 7) return Form::Texts;              // REG_MULTI_SZ
  return type == 4 ? Form::Number32 : type == 11 ? Form::Number64 : Form::Hex;
}

Form MetabaseForm(uint32_t dataType) {
  if (dataType == 2 || dataType == 4) return Form::Text;  // STRING_METADATA, EXPANDSZ_METADATA
  return dataType == 1 ? Form::Number32 : dataType == 5 ? Form::Texts : Form::Hex;
}

std::string ToHex(const void* data, size_t length) {
  static const char digits[] = "0123456789abcdef";
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::string hex;
  hex.reserve(length * 2);
  for (size_t i = 0; i < length; ++i) {
    hex += digits[bytes[i] >> 4];
    hex += digits[bytes[i] & 0xF];
  }
  return hex;
}

Bytes EntryBytes(const Json& entry, const char* valueField, Form form, const std::string& where) {
  if (entry.contains("hex")) {
    const auto bytes = entry["hex"].is_string() ? FromHex(entry["hex"].get<std::string>()) : std::nullopt;
    if (!bytes) Invalid(where, "\"hex\" is not pairs of hex digits");
    return *bytes;
  }
  const auto bytes = entry.contains(valueField) ? Decode(form, entry[valueField]) : std::nullopt;
  if (!bytes) Invalid(where, std::string("\"") + valueField + "\" does not fit the type, or is missing");
  return *bytes;
}

void PutBytes(Json& entry, const char* valueField, Form form, const Bytes& bytes) {
  Json value = Candidate(form, bytes);
  // Text that UTF-8 cannot carry (a NUL inside, a lone surrogate) stays in hex.
  if (!value.is_null() && Decode(form, value) == bytes) {
    entry[valueField] = std::move(value);
  } else {
    entry["hex"] = ToHex(bytes.data(), bytes.size());
  }
}

void Invalid(const std::string& where, const std::string& what) { throw std::invalid_argument(where + ": " + what); }

uint32_t Number32(const Json& object, const char* field, const std::string& where, std::optional<uint32_t> fallback) {
  if (fallback && !object.contains(field)) return *fallback;
  if (!object.contains(field) || !object[field].is_number_unsigned() || object[field].get<uint64_t>() > 0xFFFFFFFFu)
    Invalid(where, std::string("\"") + field + "\" is not a 32-bit number");
  return object[field].get<uint32_t>();
}

std::string TextField(const Json& object, const char* field, const std::string& where) {
  if (!object.is_object() || !object.contains(field) || !object[field].is_string())
    Invalid(where, std::string("no text \"") + field + "\"");
  return object[field].get<std::string>();
}

const Json& ArrayField(const Json& object, const char* field, const std::string& where) {
  static const Json empty = Json::array();
  if (!object.is_object()) Invalid(where, "not an object");
  if (!object.contains(field) || object[field].is_null()) return empty;
  if (!object[field].is_array()) Invalid(where, std::string("\"") + field + "\" is not an array");
  return object[field];
}

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
  static const uint8_t lead[] = {0, 0xC0, 0xE0, 0xF0};
  const int extra = cp < 0x80 ? 0 : cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
  out += static_cast<char>(lead[extra] | (cp >> (6 * extra)));
  for (int i = extra; i-- > 0;) out += static_cast<char>(0x80 | ((cp >> (6 * i)) & 0x3F));
}

}  // namespace

std::string ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::u16string ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const size_t extra = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : 4;
    uint32_t cp = 0xFFFD;
    size_t n = 1;
    if (extra < 4 && i + extra < text.size()) {
      cp = extra ? b & (0x3F >> extra) : b;
      for (n = 1; n <= extra; ++n) cp = (cp << 6) | (text[i + n] & 0x3F);
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += n;
  }
  return out;
}

void FoldInto(std::u16string& into, std::u16string_view text) {
  into.assign(text);
  for (auto& c : into) c = FoldCase(c);
}

namespace {

// Builds each object's members in a vector of its own, whose growth moves them, and hands them to
// the object once, reserved; arrays are vectors of values and move already.
class Builder : public nlohmann::json_sax<Json> {
 public:
  explicit Builder(Json& root) : root_(root) {}
  bool null() override { return Put(Json()); }
  bool boolean(bool value) override { return Put(Json(value)); }
  bool number_integer(number_integer_t value) override { return Put(Json(value)); }
  bool number_unsigned(number_unsigned_t value) override { return Put(Json(value)); }
  bool number_float(number_float_t value, const string_t&) override { return Put(Json(value)); }
  bool string(string_t& value) override { return Put(Json(std::move(value))); }
  bool binary(binary_t& value) override { return Put(Json::binary(std::move(value))); }
  bool start_object(std::size_t) override {
    open_.emplace_back();
    open_.back().object = true;
    return true;
  }
  bool key(string_t& name) override {
    open_.back().members.emplace_back(std::move(name), Json());
    return true;
  }
  bool end_object() override {
    Open done = std::move(open_.back());
    open_.pop_back();
    Json object = Json::object();
    auto& members = object.get_ref<Json::object_t&>();
    members.reserve(done.members.size());
    // as Json::parse has it, a repeated name keeps its first place and its last value
    for (auto& [name, value] : done.members) members[name] = std::move(value);
    return Put(std::move(object));
  }
  bool start_array(std::size_t) override {
    open_.emplace_back();
    return true;
  }
  bool end_array() override {
    Open done = std::move(open_.back());
    open_.pop_back();
    return Put(Json(std::move(done.items)));
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

 private:
  struct Open {
    bool object = false;
    std::vector<std::pair<std::string, Json>> members;
    Json::array_t items;
  };

  bool Put(Json&& value) {
    if (open_.empty()) {
      root_ = std::move(value);
    } else if (open_.back().object) {
      open_.back().members.back().second = std::move(value);
    } else {
      open_.back().items.push_back(std::move(value));
    }
    return true;
  }

  Json& root_;
  std::vector<Open> open_;
};

}  // namespace

Json ParseJson(const std::string& text) {
  Json root;
  Builder builder(root);
  if (!Json::sax_parse(text, &builder)) return Json::parse(text);  // to throw what it throws
  return root;
}

}  // namespace winsim
