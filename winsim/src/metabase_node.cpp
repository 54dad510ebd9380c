#include "metabase_node.h"

#include <stdexcept>

#include "text.h"

namespace winsim {
namespace {

constexpr uint32_t kDword = 1;
constexpr uint32_t kString = 2;
constexpr uint32_t kBinary = 3;
constexpr uint32_t kExpandString = 4;
constexpr uint32_t kMultiString = 5;

[[noreturn]] void Malformed(const std::string& where, const std::string& what) {
  throw std::invalid_argument(where + ": " + what);
}

uint32_t Number(const Json& record, const char* field, const std::string& where) {
  if (!record.contains(field) || !record[field].is_number_integer() || record[field].get<int64_t>() < 0 ||
      record[field].get<int64_t>() > 0xFFFFFFFFLL)
    Malformed(where, std::string("\"") + field + "\" is not a 32-bit number");
  return static_cast<uint32_t>(record[field].get<int64_t>());
}

void AppendUnits(std::vector<uint8_t>& bytes, const std::u16string& text) {
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
}

std::vector<uint8_t> FromHex(const std::string& hex, const std::string& where) {
  if (hex.size() % 2 != 0) Malformed(where, "\"hex\" has an odd number of digits");
  auto digit = [&](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    Malformed(where, "\"hex\" holds a character that is not a hex digit");
  };
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < hex.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(digit(hex[i]) * 16 + digit(hex[i + 1])));
  return bytes;
}

std::vector<uint8_t> ValueBytes(const Json& value, uint32_t dataType, const std::string& where) {
  std::vector<uint8_t> bytes;
  switch (dataType) {
    case kDword: {
      if (!value.is_number_integer() || value.get<int64_t>() < 0 || value.get<int64_t>() > 0xFFFFFFFFLL)
        Malformed(where, "a DWORD \"value\" is not a 32-bit number");
      const auto number = static_cast<uint32_t>(value.get<int64_t>());
      for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(number >> shift));
      return bytes;
    }
    case kString:
    case kExpandString:
      if (!value.is_string()) Malformed(where, "a string \"value\" is not text");
      AppendUnits(bytes, ToUtf16(value.get<std::string>()));
      return bytes;
    case kMultiString:
      if (!value.is_array()) Malformed(where, "a multi-string \"value\" is not an array");
      for (const auto& entry : value) {
        if (!entry.is_string()) Malformed(where, "a multi-string entry is not text");
        AppendUnits(bytes, ToUtf16(entry.get<std::string>()));
      }
      bytes.push_back(0);
      bytes.push_back(0);
      return bytes;
    default:
      Malformed(where, "data type " + std::to_string(dataType) + " takes \"hex\", not \"value\"");
  }
}

MetabaseRecord RecordFromJson(const Json& record, const std::string& where) {
  if (!record.is_object()) Malformed(where, "a record is not an object");
  MetabaseRecord parsed;
  parsed.id = Number(record, "id", where);
  parsed.attributes = Number(record, "attributes", where);
  parsed.userType = Number(record, "userType", where);
  parsed.dataType = Number(record, "dataType", where);
  if (parsed.dataType < kDword || parsed.dataType > kMultiString) Malformed(where, "\"dataType\" is not 1 to 5");
  if (record.contains("hex")) {
    if (!record["hex"].is_string()) Malformed(where, "\"hex\" is not text");
    parsed.bytes = FromHex(record["hex"].get<std::string>(), where);
  } else if (record.contains("value")) {
    parsed.bytes = ValueBytes(record["value"], parsed.dataType, where);
  } else {
    Malformed(where, "a record has neither \"value\" nor \"hex\"");
  }
  parsed.loaded = record;
  return parsed;
}

std::u16string Units(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
  std::u16string units;
  for (size_t i = from; i + 1 < to; i += 2) units += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
  return units;
}

// Text that survives the image's UTF-8 unchanged: no NUL, no lone surrogate.
bool Representable(const std::u16string& text) {
  return text.find(u'\0') == std::u16string::npos && ToUtf16(ToUtf8(text)) == text;
}

Json WellFormedValue(const MetabaseRecord& record) {
  const auto& bytes = record.bytes;
  switch (record.dataType) {
    case kDword:
      if (bytes.size() != 4) return Json();
      return static_cast<uint32_t>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                   (static_cast<uint32_t>(bytes[3]) << 24));
    case kString:
    case kExpandString: {
      if (bytes.size() < 2 || bytes.size() % 2 != 0) return Json();
      const std::u16string units = Units(bytes, 0, bytes.size());
      if (units.back() != 0) return Json();
      const std::u16string text = units.substr(0, units.size() - 1);
      return Representable(text) ? Json(ToUtf8(text)) : Json();
    }
    case kMultiString: {
      if (bytes.size() < 2 || bytes.size() % 2 != 0) return Json();
      const std::u16string units = Units(bytes, 0, bytes.size());
      if (units == std::u16string(1, u'\0')) return Json::array();
      if (units.size() < 3 || units[units.size() - 1] != 0 || units[units.size() - 2] != 0) return Json();
      Json entries = Json::array();
      size_t start = 0;
      while (start < units.size() - 1) {
        const size_t end = units.find(u'\0', start);
        const std::u16string entry = units.substr(start, end - start);
        if (entry.empty() || !Representable(entry)) return Json();
        entries.push_back(ToUtf8(entry));
        start = end + 1;
      }
      return entries;
    }
    default:
      return Json();
  }
}

}  // namespace

std::string ToHex(const uint8_t* bytes, size_t length) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < length; ++i) {
    hex += digits[bytes[i] >> 4];
    hex += digits[bytes[i] & 0xF];
  }
  return hex;
}

Json RecordToJson(const MetabaseRecord& record) {
  if (!record.loaded.is_null()) return record.loaded;
  Json out = Json::object();
  out["id"] = record.id;
  out["attributes"] = record.attributes;
  out["userType"] = record.userType;
  out["dataType"] = record.dataType;
  Json value = WellFormedValue(record);
  if (!value.is_null()) {
    out["value"] = std::move(value);
  } else {
    out["hex"] = ToHex(record.bytes.data(), record.bytes.size());
  }
  return out;
}

std::unique_ptr<MetabaseNode> MetabaseNode::FromJson(const Json& key, const std::string& where) {
  if (!key.is_object()) Malformed(where, "a key is not an object");
  if (!key.contains("name") || !key["name"].is_string()) Malformed(where, "a key has no \"name\"");
  auto node = std::make_unique<MetabaseNode>();
  node->name = ToUtf16(key["name"].get<std::string>());
  // Callers enumerate names into buffers of METADATA_MAX_NAME_LEN characters.
  if (node->name.size() > kMaxKeyNameLength) Malformed(where, "a key name is longer than 255 characters");
  const std::string here = where + "/" + key["name"].get<std::string>();
  const Json records = key.value("records", Json::array());
  const Json children = key.value("children", Json::array());
  if (!records.is_array()) Malformed(here, "\"records\" is not an array");
  if (!children.is_array()) Malformed(here, "\"children\" is not an array");
  for (const auto& record : records) node->records.push_back(RecordFromJson(record, here));
  for (const auto& child : children) node->children.push_back(FromJson(child, here));
  return node;
}

Json MetabaseNode::ToJson() const {
  Json key = Json::object();
  key["name"] = ToUtf8(name);
  key["records"] = Json::array();
  for (const auto& record : records) key["records"].push_back(RecordToJson(record));
  key["children"] = Json::array();
  for (const auto& child : children) key["children"].push_back(child->ToJson());
  return key;
}

MetabaseNode* MetabaseNode::Child(const std::u16string& childName) const {
  for (const auto& child : children) {
    if (EqualsIgnoreCase(child->name, childName)) return child.get();
  }
  return nullptr;
}

MetabaseNode* MetabaseNode::Find(const std::vector<std::u16string>& path) {
  MetabaseNode* node = this;
  for (const auto& segment : path) {
    node = node->Child(segment);
    if (!node) return nullptr;
  }
  return node;
}

const MetabaseRecord* MetabaseNode::Record(uint32_t id) const {
  for (const auto& record : records) {
    if (record.id == id) return &record;
  }
  return nullptr;
}

void MetabaseNode::Write(MetabaseRecord record) {
  record.loaded = Json();
  for (auto& existing : records) {
    if (existing.id == record.id) {
      existing = std::move(record);
      return;
    }
  }
  records.push_back(std::move(record));
}

std::vector<std::u16string> SplitMetabasePath(const std::u16string& path) {
  std::vector<std::u16string> segments;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'/', start);
    if (end == std::u16string::npos) end = path.size();
    if (end > start) segments.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return segments;
}

}  // namespace winsim
