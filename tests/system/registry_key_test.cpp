#include "system/registry_key.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace {

class RegistryKeyTest : public HostTest {};

TEST_F(RegistryKeyTest, TextIsWrittenWithItsNulAsPlainOrExpandable) {
  RegistryKey key(HKEY_LOCAL_MACHINE, u"SOFTWARE");
  EXPECT_TRUE(key.SetStringValue(u"a", u"C:\\PHP"));
  EXPECT_TRUE(key.SetExpandStringValue(u"b", u"%X%"));
  EXPECT_TRUE(key.SetStringValue(u"c", u""));
  std::vector<Json> written;
  for (const auto& set : Calls("RegSetValueExW")) written.push_back({set["type"], set["length"]});
  EXPECT_EQ(written, (std::vector<Json>{{1, 14}, {2, 8}, {1, 2}}));
  EXPECT_EQ(Calls("RegOpenKeyExW")[0]["access"], 3);
}

TEST_F(RegistryKeyTest, QueryTakesAnyStoredValueAsTextUpToItsFirstNul) {
  const Json failSecondRead = {{"call", "RegQueryValueExW"}, {"occurrence", 2}, {"status", 234}};
  const struct {
    Json value;
    bool read;
    WideString text;
    Json fault;
  } cases[] = {
      {{{"type", 1}, {"data", "C:\\PHP"}}, true, u"C:\\PHP", Json()},
      {{{"type", 2}, {"data", "%SystemRoot%"}}, true, u"%SystemRoot%", Json()},
      {{{"type", 1}, {"hex", "61006200"}}, true, u"ab", Json()},
      {{{"type", 1}, {"hex", "610062"}}, true, u"a", Json()},
      {{{"type", 1}, {"hex", "6100000062000000"}}, true, u"a", Json()},
      {{{"type", 4}, {"data", 0x00420041}}, true, u"AB", Json()},
      {{{"type", 1}, {"hex", ""}}, true, u"before", Json()},
      {{{"type", 1}, {"data", ""}}, true, u"", Json()},
      {{{"type", 1}, {"data", "new"}}, false, u"before", failSecondRead},
  };
  for (const auto& c : cases) {
    Json value = c.value;
    value["name"] = "v";
    Json image = WithRegistryValue(Stock(), "SOFTWARE\\PHP", value);
    if (!c.fault.is_null()) image = WithFault(image, c.fault);
    Reset(image);
    WideString text = u"before";
    RegistryKey key(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP");
    EXPECT_EQ(key.QueryStringValue(u"v", text), c.read) << c.value;
    EXPECT_EQ(text, c.text) << c.value;
    EXPECT_FALSE(key.QueryStringValue(u"missing", text));
  }
}

}  // namespace
