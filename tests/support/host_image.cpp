#include "support/host_image.h"

#include <sstream>
#include <stdexcept>

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The key below `key` at the path; missing keys are made from `blank` when
// given. Metabase names ("/") compare without case.
Json* Walk(Json* key, const std::string& path, char separator, const Json* blank = nullptr) {
  std::stringstream segments(path);
  for (std::string name; std::getline(segments, name, separator);) {
    if (name.empty()) continue;
    Json* next = nullptr;
    for (auto& child : (*key)["children"]) {
      const std::string childName = child["name"];
      if (separator == '/' ? Lower(childName) == Lower(name) : childName == name) next = &child;
    }
    if (!next && !blank) return nullptr;
    if (!next) {
      next = &(*key)["children"].emplace_back(*blank);
      (*next)["name"] = name;
    }
    key = next;
  }
  return key;
}

Json* Registry(Json& image, const std::string& path, bool create) {
  static const Json blank = {{"name", ""}, {"values", Json::array()}, {"children", Json::array()}};
  Json& root = image["registry"]["HKEY_LOCAL_MACHINE"];
  if (root.is_null()) root = blank;
  return Walk(&root, path, '\\', create ? &blank : nullptr);
}

// Entries of a list are replaced by one with the same field, or appended.
void Put(Json& list, const char* field, const Json& entry) {
  for (auto& existing : list) {
    if (existing[field] == entry[field]) {
      existing = entry;
      return;
    }
  }
  list.push_back(entry);
}

template <typename Value>
void Drop(Json& list, const char* field, const Value& value) {
  for (size_t i = list.size(); i-- > 0;) {
    if (list[i][field] == value) list.erase(i);
  }
}

Json* MetabaseKey(Json& image, const std::string& path) {
  Json* key = Walk(&image["iis"]["metabase"], path, '/');
  if (!key) throw std::invalid_argument("no key " + path);
  return key;
}

}  // namespace

const Json* ImageKey(const Json& image, const std::string& path) {
  if (!image.contains("iis") || !image["iis"].is_object()) return nullptr;
  return Walk(const_cast<Json*>(&image["iis"]["metabase"]), path, '/');
}

Json* ImageKey(Json& image, const std::string& path) { return Walk(&image["iis"]["metabase"], path, '/'); }

const Json* ImageRecord(const Json& image, const std::string& path, int id) {
  const Json* key = ImageKey(image, path);
  if (!key) return nullptr;
  for (const auto& record : (*key)["records"]) {
    if (record["id"] == id) return &record;
  }
  return nullptr;
}

Json RegistryKeyAt(const Json& image, const std::string& path) {
  Json copy = image;
  const Json* key = Registry(copy, path, false);
  return key ? *key : Json();
}

Json RegistryValueAt(const Json& image, const std::string& path, const std::string& name) {
  const Json key = RegistryKeyAt(image, path);
  if (key.is_null()) return key;
  for (const auto& value : key["values"]) {
    if (value["name"] == name) return value;
  }
  return Json();
}

Json WithKey(Json image, const std::string& parentPath, const Json& key) {
  (*MetabaseKey(image, parentPath))["children"].push_back(key);
  return image;
}

Json WithoutKey(Json image, const std::string& path) {
  const size_t slash = path.rfind('/');
  auto& children = (*MetabaseKey(image, path.substr(0, slash)))["children"];
  for (size_t i = children.size(); i-- > 0;) {
    if (Lower(children[i]["name"]) == Lower(path.substr(slash + 1))) children.erase(i);
  }
  return image;
}

Json WithRecord(Json image, const std::string& path, const Json& record) {
  Put((*MetabaseKey(image, path))["records"], "id", record);
  return image;
}

Json WithoutRecord(Json image, const std::string& path, int id) {
  Drop((*MetabaseKey(image, path))["records"], "id", id);
  return image;
}

Json WithFault(Json image, const Json& fault) {
  image["faults"].push_back(fault);
  return image;
}

Json WithHeldKey(Json image, const std::string& path, int access) {
  image["iis"]["heldKeys"].push_back({{"path", path}, {"access", access}});
  return image;
}

Json WithTimeoutScale(Json image, double scale) {
  image["timeoutScale"] = scale;
  return image;
}

Json WithRegistryKey(Json image, const std::string& path) {
  Registry(image, path, true);
  return image;
}

Json WithRegistryValue(Json image, const std::string& path, const Json& value) {
  Put((*Registry(image, path, true))["values"], "name", value);
  return image;
}

Json WithoutRegistryValue(Json image, const std::string& path, const std::string& name) {
  Drop((*Registry(image, path, true))["values"], "name", name);
  return image;
}

Json Key(const std::string& name, Json records, Json children) {
  return {{"name", name}, {"records", std::move(records)}, {"children", std::move(children)}};
}

Json Value(const Json& image, const std::string& path, int id) {
  const Json* record = ImageRecord(image, path, id);
  return record ? (*record)["value"] : Json();
}

Json WithApartment(Json image, const char* apartment) {
  image["caller"]["comApartment"] = apartment;
  return image;
}

Json WithService(Json image, const std::string& name, const Json& fields) {
  for (auto& service : image["services"]) {
    if (service["name"] == name) service.update(fields);
  }
  return image;
}

Json Record(int id, int attributes, int userType, int dataType, Json value) {
  return {{"id", id}, {"attributes", attributes}, {"userType", userType}, {"dataType", dataType}, {"value", value}};
}

Json StringRecord(int id, int attributes, int userType, const std::string& value) {
  return Record(id, attributes, userType, 2, value);
}

Json ListRecord(int id, Json entries, int attributes, int userType) {
  return Record(id, attributes, userType, 5, std::move(entries));
}

Json ScriptMaps(Json entries, int attributes) { return ListRecord(6014, std::move(entries), attributes); }

Json Dword(int id, int value) { return Record(id, 1, 2, 1, value); }

Json Text(const std::string& name, const std::string& data) { return {{"name", name}, {"type", 1}, {"data", data}}; }
