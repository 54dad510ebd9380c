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
