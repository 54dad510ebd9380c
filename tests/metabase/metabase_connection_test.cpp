#include "metabase/metabase_connection.h"

#include <gtest/gtest.h>

#include "metabase/metabase_key_holder.h"
#include "support/host_fixture.h"

namespace {

class MetabaseConnectionTest : public HostTest {};

TEST_F(MetabaseConnectionTest, ActivatesTheAdminBaseAndReleasesItBeforeTheFactory) {
  {
    MetabaseConnection connection;
    EXPECT_TRUE(connection.IsValid());
  }
  const auto journal = Journal();
  ASSERT_EQ(CallNames(),
            (std::vector<std::string>{"CoInitializeEx", "CoGetClassObject", "CreateInstance", "Release", "Release"}));
  EXPECT_EQ(journal[0]["coInit"], 0);
  EXPECT_EQ(journal[1]["context"], 21);
  EXPECT_EQ(journal[3]["object"], "adminBase");
  Reset(WithApartment(Stock(), "MTA"));
  MetabaseConnection first, second;
  EXPECT_TRUE(first.IsValid() && second.IsValid()) << "a thread already in the multithreaded apartment";
}

TEST_F(MetabaseConnectionTest, OpenOrCreateAddsAMissingChildOnlyUnderAnExistingParent) {
  MetabaseConnection connection;
  EXPECT_EQ(MetabaseKeyHolder(connection.OpenOrCreateKey(u"/LM/None", u"/PHP")).Get(), nullptr);
  EXPECT_TRUE(Calls("AddKey").empty());
  EXPECT_TRUE(MetabaseKeyHolder(connection.OpenOrCreateKey(u"/LM/W3SVC/Filters", u"/PHP")).IsValid());
  const auto journal = Journal();
  std::vector<std::string> steps;
  for (const auto& line : journal) {
    if (line["call"] == "OpenKey") {
      steps.push_back("open " + line["path"].get<std::string>() + (line["result"] == 0 ? "" : " failed"));
      EXPECT_EQ(line["access"], 3);
      EXPECT_EQ(line["timeout"], 1000);
    }
    if (line["call"] == "AddKey") steps.push_back("add " + line["path"].get<std::string>());
    if (line["call"] == "CloseKey") steps.push_back("close");
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"open /LM/None/PHP failed", "open /LM/None failed",
                                             "open /LM/W3SVC/Filters/PHP failed", "open /LM/W3SVC/Filters", "add /PHP",
                                             "close", "open /LM/W3SVC/Filters/PHP", "close"}));
}

TEST_F(MetabaseConnectionTest, TheDefaultWebSiteIsTheFirstWebServerThatCanBeOpened) {
  const Json server = Json::array({StringRecord(1002, 0, 1, "IIsWebServer")});
  Json sites = WithoutKey(Stock(), "/LM/W3SVC/1");
  sites = WithKey(sites, "/LM/W3SVC", Key("3", Json::array({StringRecord(1002, 0, 1, "iiswebserver")})));
  sites = WithKey(WithKey(WithKey(sites, "/LM/W3SVC", Key("4")), "/LM/W3SVC", Key("7", server)), "/LM/W3SVC",
                  Key("8", server));
  const int32_t busy = static_cast<int32_t>(0x80070094);
  const struct {
    const char* what;
    Json image;
    const char16_t* found;  // null: none, and the name untouched
  } cases[] = {
      {"after keys of other types", sites, u"7"},
      {"an unopenable one passed over",
       WithFault(sites, {{"call", "OpenKey"}, {"path", "/LM/W3SVC/7"}, {"status", busy}}), u"8"},
      {"none", WithoutKey(Stock(), "/LM/W3SVC/1"), nullptr},
      {"no web service key", WithoutKey(Stock(), "/LM/W3SVC"), nullptr},
      {"enumeration ends early", WithFault(Stock(), {{"call", "EnumKeys"}, {"occurrence", 2}, {"status", busy}}),
       nullptr},
  };
  for (const auto& c : cases) {
    Reset(c.image);
    MetabaseConnection connection;
    WideString name = u"untouched";
    EXPECT_EQ(connection.FindDefaultWebSite(name), c.found != nullptr) << c.what;
    EXPECT_EQ(name, c.found ? c.found : u"untouched") << c.what;
    for (const auto& read : Calls("GetData")) EXPECT_EQ(read["id"], 1002) << c.what;
  }
}

}  // namespace
