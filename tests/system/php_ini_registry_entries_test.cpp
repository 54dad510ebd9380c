#include "system/php_ini_registry_entries.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace {

class PhpIniRegistryEntriesTest : public HostTest {
 protected:
  static Json Php() { return RegistryKeyAt(Image(), "SOFTWARE\\PHP"); }
};

TEST_F(PhpIniRegistryEntriesTest, WritesTheLocationBesideOtherValuesAndRemovesTheWholeKey) {
  CreatePhpIniRegistryEntries(u"C:\\PHP\\php.ini");
  EXPECT_EQ(Php()["values"], Json::array({Text("IniFilePath", "C:\\PHP\\php.ini")}));
  Reset(WithRegistryValue(WithRegistryValue(Stock(), "SOFTWARE\\PHP", Text("Version", "5")), "SOFTWARE\\PHP",
                          Text("IniFilePath", "old")));
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
}

}  // namespace
