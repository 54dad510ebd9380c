#include "metabase/default_web_site.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/metabase_image.h"

namespace {

class DefaultWebSiteTest : public HostTest {
 protected:
  static bool Find(WideString& name) {
    MetabaseConnection connection;
    return connection.FindDefaultWebSite(name);
  }
};

TEST_F(DefaultWebSiteTest, FindsTheFirstWebServerAfterOtherChildren) {
  Json image = WithoutKey(Stock(), "/LM/W3SVC/1");
  image = WithKey(image, "/LM/W3SVC", Key("3", Json::array({StringRecord(1002, 0, 1, "iiswebserver")})));
  image = WithKey(image, "/LM/W3SVC", Key("4"));
  image = WithKey(image, "/LM/W3SVC", Key("7", Json::array({StringRecord(1002, 0, 1, "IIsWebServer")})));
  image = WithKey(image, "/LM/W3SVC", Key("8", Json::array({StringRecord(1002, 0, 1, "IIsWebServer")})));
  Reset(image);
  WideString name;
  EXPECT_TRUE(Find(name));
  EXPECT_EQ(name, TEXT("7"));
  std::vector<std::string> enumerated;
  for (const auto& line : Calls("EnumKeys")) {
    EXPECT_EQ(line["handle"], 0);
    EXPECT_EQ(line["path"], "/LM/W3SVC");
    enumerated.push_back(line.value("name", ""));
  }
  EXPECT_EQ(enumerated, (std::vector<std::string>{"AppPools", "Filters", "Info", "3", "4", "7"}));
  for (const auto& read : Calls("GetData")) {
    EXPECT_EQ(read["id"], 1002);
    EXPECT_EQ(read["attributes"], 0);
    EXPECT_EQ(read["userType"], 1);
    EXPECT_EQ(read["dataType"], 2);
  }
}

TEST_F(DefaultWebSiteTest, FailsWithoutAWebServerAndLeavesTheNameAlone) {
  const struct {
    const char* what;
    Json image;
  } cases[] = {
      {"no site", WithoutKey(Stock(), "/LM/W3SVC/1")},
      {"no web service key", WithoutKey(Stock(), "/LM/W3SVC")},
      {"enumeration fails before the site",
       WithFault(Stock(), {{"call", "EnumKeys"}, {"occurrence", 2}, {"status", static_cast<int32_t>(0x80070005)}})},
  };
  for (const auto& c : cases) {
    Reset(c.image);
    WideString name = TEXT("as passed");
    EXPECT_FALSE(Find(name)) << c.what;
    EXPECT_EQ(name, TEXT("as passed")) << c.what;
    EXPECT_EQ(winsim::CountOpenResources().metabaseHandles, 0) << c.what;
  }
}

TEST_F(DefaultWebSiteTest, ACandidateThatCannotBeOpenedIsSkipped) {
  Json image = WithKey(Stock(), "/LM/W3SVC", Key("2", Json::array({StringRecord(1002, 0, 1, "IIsWebServer")})));
  image =
      WithFault(image, {{"call", "OpenKey"}, {"path", "/LM/W3SVC/1"}, {"status", static_cast<int32_t>(0x80070094)}});
  Reset(image);
  WideString name;
  EXPECT_TRUE(Find(name));
  EXPECT_EQ(name, TEXT("2"));
}

}  // namespace
