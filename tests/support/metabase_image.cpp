#include "support/metabase_image.h"

#include <sstream>
#include <stdexcept>

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

template <typename J>
J* Find(J& image, const std::string& path) {
  J* key = &image["iis"]["metabase"];
  std::stringstream segments(path);
  std::string segment;
  while (std::getline(segments, segment, '/')) {
    if (segment.empty()) continue;
    J* next = nullptr;
    for (auto& child : (*key)["children"]) {
      if (Lower(child["name"].template get<std::string>()) == Lower(segment)) next = &child;
    }
    if (!next) return nullptr;
    key = next;
  }
  return key;
}

}  // namespace

const Json* ImageKey(const Json& image, const std::string& path) {
  if (!image.contains("iis") || !image["iis"].is_object()) return nullptr;
  return Find(image, path);
}

Json* ImageKey(Json& image, const std::string& path) { return Find(image, path); }

const Json* ImageRecord(const Json& image, const std::string& path, int id) {
  const Json* key = ImageKey(image, path);
  if (!key) return nullptr;
  for (const auto& record : (*key)["records"]) {
    if (record["id"] == id) return &record;
  }
  return nullptr;
}

Json WithKey(Json image, const std::string& parentPath, const Json& key) {
  Json* parent = ImageKey(image, parentPath);
  if (!parent) throw std::invalid_argument("no key " + parentPath);
  (*parent)["children"].push_back(key);
  return image;
}

Json WithoutKey(Json image, const std::string& path) {
  const size_t slash = path.rfind('/');
  Json* parent = ImageKey(image, path.substr(0, slash));
  auto& children = (*parent)["children"];
  for (size_t i = 0; i < children.size(); ++i) {
    if (Lower(children[i]["name"].get<std::string>()) == Lower(path.substr(slash + 1))) children.erase(i);
  }
  return image;
}

Json WithRecord(Json image, const std::string& path, const Json& record) {
  Json* key = ImageKey(image, path);
  if (!key) throw std::invalid_argument("no key " + path);
  for (auto& existing : (*key)["records"]) {
    if (existing["id"] == record["id"]) {
      existing = record;
      return image;
    }
  }
  (*key)["records"].push_back(record);
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

Json Key(const std::string& name, Json records, Json children) {
  return {{"name", name}, {"records", std::move(records)}, {"children", std::move(children)}};
}

Json StringRecord(int id, int attributes, int userType, const std::string& value) {
  return {{"id", id}, {"attributes", attributes}, {"userType", userType}, {"dataType", 2}, {"value", value}};
}
