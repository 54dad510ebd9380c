#include "support/registry_image.h"

#include <sstream>
#include <vector>

const char kEnvironmentKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

namespace {

std::vector<std::string> Names(const std::string& path) {
  std::vector<std::string> names;
  std::stringstream in(path);
  for (std::string name; std::getline(in, name, '\\');) names.push_back(name);
  return names;
}

Json* Find(Json& image, const std::string& path, bool create) {
  Json* key = &image["registry"]["HKEY_LOCAL_MACHINE"];
  if (key->is_null()) *key = {{"name", ""}, {"values", Json::array()}, {"children", Json::array()}};
  for (const auto& name : Names(path)) {
    Json* next = nullptr;
    for (auto& child : (*key)["children"]) {
      if (child["name"] == name) next = &child;
    }
    if (!next && !create) return nullptr;
    if (!next) {
      (*key)["children"].push_back({{"name", name}, {"values", Json::array()}, {"children", Json::array()}});
      next = &(*key)["children"].back();
    }
    key = next;
  }
  return key;
}

}  // namespace

Json RegistryKeyAt(const Json& image, const std::string& path) {
  Json copy = image;
  const Json* key = Find(copy, path, false);
  return key ? *key : Json();
}

Json RegistryValueAt(const Json& image, const std::string& path, const std::string& name) {
  const Json key = RegistryKeyAt(image, path);
  if (key.is_null()) return Json();
  for (const auto& value : key["values"]) {
    if (value["name"] == name) return value;
  }
  return Json();
}

Json WithRegistryKey(Json image, const std::string& path) {
  Find(image, path, true);
  return image;
}

Json WithRegistryValue(Json image, const std::string& path, const Json& value) {
  Json& values = (*Find(image, path, true))["values"];
  for (auto& existing : values) {
    if (existing["name"] == value["name"]) {
      existing = value;
      return image;
    }
  }
  values.push_back(value);
  return image;
}

Json WithoutRegistryValue(Json image, const std::string& path, const std::string& name) {
  Json& values = (*Find(image, path, true))["values"];
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i]["name"] == name) values.erase(i--);
  }
  return image;
}
