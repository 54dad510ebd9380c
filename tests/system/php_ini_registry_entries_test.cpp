#include "system/php_ini_registry_entries.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/registry_image.h"

namespace {

Json Text(const std::string& name, const std::string& data) { return {{"name", name}, {"type", 1}, {"data", data}}; }

class PhpIniRegistryEntriesTest : public HostTest {
 protected:
  static Json Php() { return RegistryKeyAt(Image(), "SOFTWARE\\PHP"); }
};

TEST_F(PhpIniRegistryEntriesTest, OnAFreshRegistryCreatesTheKeyWithTheLocation) {
  CreatePhpIniRegistryEntries(u"C:\\PHP\\php.ini");
  EXPECT_EQ(Php(), Json({{"name", "PHP"},
                         {"values", Json::array({Text("IniFilePath", "C:\\PHP\\php.ini")})},
                         {"children", Json::array()}}));
  EXPECT_EQ(CallNames(), (std::vector<std::string>{"RegOpenKeyExW", "RegCreateKeyExW", "RegCloseKey", "RegCloseKey",
                                                   "RegOpenKeyExW", "RegSetValueExW", "RegCloseKey"}));
  EXPECT_EQ(Calls("RegCreateKeyExW")[0]["subKey"], "PHP");
  EXPECT_EQ(Calls("RegOpenKeyExW")[1]["subKey"], "SOFTWARE\\PHP");
  EXPECT_EQ(Calls("RegSetValueExW")[0]["length"], 30);
  CreatePhpIniRegistryEntries(u"");
  EXPECT_EQ(Php()["values"], Json::array({Text("IniFilePath", "")}));
}

TEST_F(PhpIniRegistryEntriesTest, OtherValuesStayOnCreationAndGoWithTheKeyOnRemoval) {
  Json image = WithRegistryValue(Stock(), "SOFTWARE\\PHP", Text("Version", "5"));
  image = WithRegistryValue(image, "SOFTWARE\\PHP", Text("IniFilePath", "old"));
  Reset(image);
  CreatePhpIniRegistryEntries(u"new");
  EXPECT_EQ(Php()["values"], Json::array({Text("Version", "5"), Text("IniFilePath", "new")}));
  RemovePhpIniRegistryEntries();
  EXPECT_TRUE(Php().is_null());
}

TEST_F(PhpIniRegistryEntriesTest, AKeyWithASubkeyIsWrittenButNotRemoved) {
  Reset(WithRegistryKey(Stock(), "SOFTWARE\\PHP\\Extensions"));
  CreatePhpIniRegistryEntries(u"C:\\PHP");
  RemovePhpIniRegistryEntries();
  EXPECT_EQ(Calls("RegDeleteKeyW").at(0)["result"], 5);
  EXPECT_EQ(Php()["values"], Json::array({Text("IniFilePath", "C:\\PHP")}));
  EXPECT_EQ(Php()["children"].size(), 1u);
}

TEST_F(PhpIniRegistryEntriesTest, RemovalOfAMissingKeyChangesNothing) {
  RemovePhpIniRegistryEntries();
  EXPECT_EQ(Calls("RegDeleteKeyW").at(0)["result"], 2);
  EXPECT_EQ(Image(), Stock());
}

TEST_F(PhpIniRegistryEntriesTest, AFailedCreationSkipsTheWrite) {
  Json image = Stock();
  image["faults"] = Json::parse(R"([{"call": "RegCreateKeyExW", "name": "PHP", "status": 1450}])");
  Reset(image);
  CreatePhpIniRegistryEntries(u"C:\\PHP");
  EXPECT_EQ(CallNames(), (std::vector<std::string>{"RegOpenKeyExW", "RegCreateKeyExW", "RegCloseKey"}));
}

}  // namespace
