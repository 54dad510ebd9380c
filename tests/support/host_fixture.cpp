#include "support/host_fixture.h"

std::vector<Json> HostTest::Journal() {
  std::vector<Json> lines;
  for (const auto& line : winsim::JournalLines()) lines.push_back(Json::parse(line));
  return lines;
}

std::vector<Json> HostTest::Calls(const std::string& call) {
  std::vector<Json> lines;
  for (auto& line : Journal()) {
    if (line["call"] == call) lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> HostTest::CallNames() {
  std::vector<std::string> names;
  for (auto& line : Journal()) names.push_back(line["call"].get<std::string>());
  return names;
}

Json Value(const Json& image, const std::string& path, int id) {
  const Json* record = ImageRecord(image, path, id);
  return record ? (*record)["value"] : Json();
}

Json ListRecord(int id, Json entries, int attributes, int userType) {
  return {
      {"id", id}, {"attributes", attributes}, {"userType", userType}, {"dataType", 5}, {"value", std::move(entries)}};
}

Json ScriptMaps(Json entries, int attributes) { return ListRecord(6014, std::move(entries), attributes); }

Json Dword(int id, int value) {
  return {{"id", id}, {"attributes", 1}, {"userType", 2}, {"dataType", 1}, {"value", value}};
}

Json Text(const std::string& name, const std::string& data) { return {{"name", name}, {"type", 1}, {"data", data}}; }

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
