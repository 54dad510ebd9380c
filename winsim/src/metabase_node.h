#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "json.h"

namespace winsim {

// A key name's longest length, without its NUL.
constexpr size_t kMaxKeyNameLength = 255;

struct MetabaseRecord {
  uint32_t id = 0;
  uint32_t attributes = 0;
  uint32_t userType = 0;
  uint32_t dataType = 0;
  std::vector<uint8_t> bytes;
  // The record as the image gave it, written back unchanged until the record
  // is written; null afterwards.
  Json loaded;
};

// One metabase key: its records and children in stored order, which is also
// the order they are enumerated and written back in.
class MetabaseNode {
 public:
  std::u16string name;
  std::vector<MetabaseRecord> records;
  std::vector<std::unique_ptr<MetabaseNode>> children;

  // Throws std::invalid_argument naming `where` when the JSON is not a key.
  static std::unique_ptr<MetabaseNode> FromJson(const Json& key, const std::string& where);
  Json ToJson() const;

  // Names compare without regard to case.
  MetabaseNode* Child(const std::u16string& childName) const;
  MetabaseNode* Find(const std::vector<std::u16string>& path);
  const MetabaseRecord* Record(uint32_t id) const;
  // Replaces the record with the same identifier in its place, or adds it last.
  void Write(MetabaseRecord record);
};

// The segments of a "/"-separated path; empty segments are dropped.
std::vector<std::u16string> SplitMetabasePath(const std::u16string& path);

// The image form of written bytes: "value" when they are well formed for
// their type, else "hex".
Json RecordToJson(const MetabaseRecord& record);

std::string ToHex(const uint8_t* bytes, size_t length);

}  // namespace winsim
