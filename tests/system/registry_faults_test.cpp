// Every registry operation against a planned fault on each of its calls in
// turn: whichever call fails, the operation returns and no key stays open.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "support/host_fixture.h"
#include "support/registry_image.h"
#include "system/jakarta_registry_entries.h"
#include "system/machine_environment.h"
#include "system/php_ini_registry_entries.h"

namespace {

class RegistryFaultsTest : public HostTest {};

TEST_F(RegistryFaultsTest, AFaultOnAnyCallLeavesNoKeyOpen) {
  const Json configured = WithRegistryKey(
      WithRegistryKey(Stock(), "SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0"), "SOFTWARE\\PHP");
  const struct {
    const char* operation;
    Json image;
    std::function<void()> run;
  } cases[] = {
      {"create redirector entries", Stock(), [] { CreateJakartaRegistryEntries(u"l", u"w", u"m", u"e"); }},
      {"remove redirector entries", configured, [] { RemoveJakartaRegistryEntries(); }},
      {"create PHP entry", Stock(), [] { CreatePhpIniRegistryEntries(u"C:\\PHP"); }},
      {"remove PHP entry", configured, [] { RemovePhpIniRegistryEntries(); }},
      {"add to Path", Stock(), [] { AddPathToEnvironment(u"C:\\PHP"); }},
      {"remove from Path", Stock(), [] { RemovePathFromEnvironment(u"System32"); }},
  };
  for (const auto& c : cases) {
    Reset(c.image);
    c.run();
    const auto calls = CallNames();
    ASSERT_GE(calls.size(), 3u) << c.operation;
    std::map<std::string, int> seen;
    for (const auto& call : calls) {
      const int occurrence = ++seen[call];
      const std::string where = std::string(c.operation) + ", " + call + " #" + std::to_string(occurrence);
      Json image = c.image;
      image["faults"] = Json::array({{{"call", call}, {"occurrence", occurrence}, {"status", 1450}}});
      Reset(image);
      c.run();
      EXPECT_EQ(winsim::CountOpenResources().registryKeys, 0) << where;
      int faults = 0;
      for (const auto& line : Journal()) faults += line.value("fault", false) ? 1 : 0;
      EXPECT_EQ(faults, 1) << where;
    }
  }
}

}  // namespace
