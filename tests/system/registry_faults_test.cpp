// Every registry operation against a planned fault on each of its calls in
// turn, and run by a caller without administrative rights.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "support/host_fixture.h"
#include "support/registry_image.h"
#include "system/jakarta_registry_entries.h"
#include "system/machine_environment.h"
#include "system/php_ini_registry_entries.h"

namespace {

struct Operation {
  const char* name;
  bool needsEntries;  // runs on an image that has what it removes
  std::function<void()> run;
};
const Operation kOperations[] = {
    {"create redirector entries", false, [] { CreateJakartaRegistryEntries(u"l", u"w", u"m", u"e"); }},
    {"remove redirector entries", true, [] { RemoveJakartaRegistryEntries(); }},
    {"create PHP entry", false, [] { CreatePhpIniRegistryEntries(u"C:\\PHP"); }},
    {"remove PHP entry", true, [] { RemovePhpIniRegistryEntries(); }},
    {"add to Path", false, [] { AddPathToEnvironment(u"C:\\PHP"); }},
    {"remove from Path", false, [] { RemovePathFromEnvironment(u"System32"); }},
};

class RegistryFaultsTest : public HostTest {
 protected:
  static Json ImageFor(const Operation& operation) {
    if (!operation.needsEntries) return Stock();
    return WithRegistryKey(
        WithRegistryKey(Stock(), "SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0"),
        "SOFTWARE\\PHP");
  }
};

TEST_F(RegistryFaultsTest, AFaultOnAnyCallLeavesNoKeyOpen) {
  for (const auto& operation : kOperations) {
    Reset(ImageFor(operation));
    operation.run();
    const auto calls = CallNames();
    ASSERT_GE(calls.size(), 3u) << operation.name;
    std::map<std::string, int> seen;
    for (const auto& call : calls) {
      const int occurrence = ++seen[call];
      const std::string where = std::string(operation.name) + ", " + call + " #" + std::to_string(occurrence);
      Json image = ImageFor(operation);
      image["faults"] = Json::array({{{"call", call}, {"occurrence", occurrence}, {"status", 1450}}});
      Reset(image);
      operation.run();
      EXPECT_EQ(winsim::CountOpenResources().registryKeys, 0) << where;
      int faults = 0;
      for (const auto& line : Journal()) faults += line.value("fault", false) ? 1 : 0;
      EXPECT_EQ(faults, 1) << where;
    }
  }
}

TEST_F(RegistryFaultsTest, WithoutAdministrativeRightsNothingIsWrittenOrSent) {
  for (const auto& operation : kOperations) {
    Json image = ImageFor(operation);
    image["caller"]["administrator"] = false;
    Reset(image);
    operation.run();
    EXPECT_EQ(Image(), image) << operation.name;
    for (const auto& call : CallNames()) EXPECT_EQ(call, "RegOpenKeyExW") << operation.name;
    for (const auto& open : Calls("RegOpenKeyExW")) EXPECT_EQ(open["result"], 5) << operation.name;
  }
}

}  // namespace
