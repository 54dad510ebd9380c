#include "system/registry_key.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/registry_image.h"

namespace {

class RegistryKeyTest : public HostTest {
 protected:
  static Json WithPhpValue(const Json& value) { return WithRegistryValue(Stock(), "SOFTWARE\\PHP", value); }
};

TEST_F(RegistryKeyTest, OpensForQueryAndSetAndClosesOnceOnDestruction) {
  { RegistryKey key(HKEY_LOCAL_MACHINE, u"SOFTWARE"); }
  const auto journal = Journal();
  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(journal[0]["subKey"], "SOFTWARE");
  EXPECT_EQ(journal[0]["options"], 0);
  EXPECT_EQ(journal[0]["access"], 3);
  EXPECT_EQ(journal[1]["call"], "RegCloseKey");
  EXPECT_EQ(journal[1]["key"], journal[0]["outKey"]);
}

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

TEST_F(RegistryKeyTest, SettersWriteTheTextWithItsNulAsTheirType) {
  {
    RegistryKey key(HKEY_LOCAL_MACHINE, u"SOFTWARE");
    EXPECT_TRUE(key.SetStringValue(u"plain", u"C:\\"));
    EXPECT_TRUE(key.SetExpandStringValue(u"expand", u"%A%"));
    EXPECT_TRUE(key.SetStringValue(u"empty", u""));
  }
  const auto sets = Calls("RegSetValueExW");
  ASSERT_EQ(sets.size(), 3u);
  EXPECT_EQ(sets[0]["type"], 1);
  EXPECT_EQ(sets[0]["length"], 8);
  EXPECT_EQ(sets[0]["hex"], "43003a005c000000");
  EXPECT_EQ(sets[1]["type"], 2);
  EXPECT_EQ(sets[1]["length"], 8);
  EXPECT_EQ(sets[2]["length"], 2);
  EXPECT_EQ(sets[2]["hex"], "0000");
  EXPECT_EQ(RegistryValueAt(Image(), "SOFTWARE", "expand"), Json::parse(R"({"name":"expand","type":2,"data":"%A%"})"));
}

TEST_F(RegistryKeyTest, QueryTakesAnyStoredValueAsTextUpToItsFirstNul) {
  const struct {
    const char* what;
    Json value;
    bool read;
    WideString text;
  } cases[] = {
      {"string", {{"type", 1}, {"data", "C:\\PHP"}}, true, u"C:\\PHP"},
      {"expandable, not expanded", {{"type", 2}, {"data", "%SystemRoot%"}}, true, u"%SystemRoot%"},
      {"no closing NUL", {{"type", 1}, {"hex", "61006200"}}, true, u"ab"},
      {"odd size", {{"type", 1}, {"hex", "610062"}}, true, u"a"},
      {"embedded NUL", {{"type", 1}, {"hex", "6100000062000000"}}, true, u"a"},
      {"a number", {{"type", 4}, {"data", 0x00420041}}, true, u"AB"},
      {"zero bytes", {{"type", 1}, {"hex", ""}}, true, u"before"},
      {"empty string", {{"type", 1}, {"data", ""}}, true, u""},
  };
  for (const auto& c : cases) {
    Json value = c.value;
    value["name"] = "v";
    Reset(WithPhpValue(value));
    WideString text = u"before";
    RegistryKey key(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP");
    EXPECT_EQ(key.QueryStringValue(u"v", text), c.read) << c.what;
    EXPECT_EQ(text, c.text) << c.what;
  }
}

TEST_F(RegistryKeyTest, QueryAsksForTheSizeThenReadsExactlyThat) {
  Reset(WithPhpValue({{"name", "IniFilePath"}, {"type", 1}, {"data", "C:\\PHP"}}));
  WideString text;
  {
    RegistryKey key(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP");
    EXPECT_TRUE(key.QueryStringValue(u"IniFilePath", text));
  }
  const auto queries = Calls("RegQueryValueExW");
  ASSERT_EQ(queries.size(), 2u);
  EXPECT_EQ(queries[0]["size"], 0);
  EXPECT_EQ(queries[0]["outSize"], 14);
  EXPECT_EQ(queries[1]["size"], 14);
  EXPECT_EQ(queries[1]["outType"], 1);
}

TEST_F(RegistryKeyTest, AFailedQueryLeavesTheTextAlone) {
  Json image = WithPhpValue({{"name", "v"}, {"type", 1}, {"data", "new"}});
  image["faults"] = Json::parse(R"([{"call": "RegQueryValueExW", "occurrence": 2, "status": 234}])");
  Reset(image);
  RegistryKey key(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP");
  WideString text = u"old";
  EXPECT_FALSE(key.QueryStringValue(u"missing", text));
  EXPECT_EQ(text, u"old");
  EXPECT_FALSE(key.QueryStringValue(u"v", text)) << "the read itself fails";
  EXPECT_EQ(text, u"old");
}

TEST_F(RegistryKeyTest, CreateSubKeyOpensWithFullAccessAndClosesAtOnce) {
  {
    RegistryKey key(HKEY_LOCAL_MACHINE, u"SOFTWARE");
    EXPECT_TRUE(key.CreateSubKey(u"A\\B"));
    EXPECT_TRUE(key.CreateSubKey(u"A")) << "an existing key";
    EXPECT_FALSE(key.DeleteSubKey(u"A")) << "it has a subkey";
    EXPECT_TRUE(key.DeleteSubKey(u"A\\B"));
    EXPECT_TRUE(key.DeleteSubKey(u"A"));
    EXPECT_FALSE(key.DeleteSubKey(u"A"));
  }
  const auto creates = Calls("RegCreateKeyExW");
  ASSERT_EQ(creates.size(), 2u);
  EXPECT_EQ(creates[0]["access"], 0xF003F);
  EXPECT_EQ(creates[0]["options"], 0);
  EXPECT_EQ(CallNames(), (std::vector<std::string>{"RegOpenKeyExW", "RegCreateKeyExW", "RegCloseKey", "RegCreateKeyExW",
                                                   "RegCloseKey", "RegDeleteKeyW", "RegDeleteKeyW", "RegDeleteKeyW",
                                                   "RegDeleteKeyW", "RegCloseKey"}));
  EXPECT_EQ(Image(), Stock());
}

}  // namespace
