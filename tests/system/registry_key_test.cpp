#include "system/registry_key.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/registry_image.h"

namespace {

// The calls each operation makes through the key, with their access, types and
// byte counts, are shown in the operations' own journal tests.
class RegistryKeyTest : public HostTest {};

TEST_F(RegistryKeyTest, AKeyThatDidNotOpenAnswersFalseWithoutCallingThePlatform) {
  WideString text = u"unchanged";
  {
    RegistryKey key(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Missing");
    EXPECT_FALSE(key.IsOpen());
    EXPECT_FALSE(key.SetStringValue(u"v", u"x"));
    EXPECT_FALSE(key.SetExpandStringValue(u"v", u"x"));
    EXPECT_FALSE(key.QueryStringValue(u"v", text));
    EXPECT_FALSE(key.CreateSubKey(u"k"));
    EXPECT_FALSE(key.DeleteSubKey(u"k"));
  }
  EXPECT_EQ(text, u"unchanged");
  EXPECT_EQ(CallNames(), std::vector<std::string>{"RegOpenKeyExW"});
}

TEST_F(RegistryKeyTest, QueryTakesAnyStoredValueAsTextUpToItsFirstNul) {
  const struct {
    const char* what;
    Json value;
    bool read;
    WideString text;
  } cases[] = {
      {"string", {{"name", "v"}, {"type", 1}, {"data", "C:\\PHP"}}, true, u"C:\\PHP"},
      {"expandable, not expanded", {{"name", "v"}, {"type", 2}, {"data", "%SystemRoot%"}}, true, u"%SystemRoot%"},
      {"no closing NUL", {{"name", "v"}, {"type", 1}, {"hex", "61006200"}}, true, u"ab"},
      {"odd size", {{"name", "v"}, {"type", 1}, {"hex", "610062"}}, true, u"a"},
      {"embedded NUL", {{"name", "v"}, {"type", 1}, {"hex", "6100000062000000"}}, true, u"a"},
      {"a number", {{"name", "v"}, {"type", 4}, {"data", 0x00420041}}, true, u"AB"},
      {"zero bytes", {{"name", "v"}, {"type", 1}, {"hex", ""}}, true, u"before"},
      {"empty string", {{"name", "v"}, {"type", 1}, {"data", ""}}, true, u""},
      {"missing value", {{"name", "other"}, {"type", 1}, {"data", "x"}}, false, u"before"},
  };
  for (const auto& c : cases) {
    Reset(WithRegistryValue(Stock(), "SOFTWARE\\PHP", c.value));
    WideString text = u"before";
    RegistryKey key(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP");
    EXPECT_EQ(key.QueryStringValue(u"v", text), c.read) << c.what;
    EXPECT_EQ(text, c.text) << c.what;
  }
}

TEST_F(RegistryKeyTest, AFailedReadLeavesTheTextAlone) {
  Json image = WithRegistryValue(Stock(), "SOFTWARE\\PHP", {{"name", "v"}, {"type", 1}, {"data", "new"}});
  image["faults"] = Json::parse(R"([{"call": "RegQueryValueExW", "occurrence": 2, "status": 234}])");
  Reset(image);
  RegistryKey key(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP");
  WideString text = u"old";
  EXPECT_FALSE(key.QueryStringValue(u"v", text));
  EXPECT_EQ(text, u"old");
}

}  // namespace
