#include "website/web_site_start.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/metabase_image.h"

namespace {

class WebSiteStartTest : public HostTest {};

TEST_F(WebSiteStartTest, SavesFirstThenWritesTheStartCommandAndSavesNothingAfter) {
  EXPECT_EQ(StartDefaultWebSite(), kSuccess);
  const auto names = CallNames();
  const auto save = std::find(names.begin(), names.end(), "SaveData");
  ASSERT_NE(save, names.end());
  EXPECT_EQ(std::count(names.begin(), names.end(), "SaveData"), 1);
  EXPECT_LT(save - names.begin(), std::find(names.begin(), names.end(), "EnumKeys") - names.begin());
  const auto writes = Calls("SetData");
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0]["id"], 1012);
  EXPECT_EQ(writes[0]["attributes"], 0);
  EXPECT_EQ(writes[0]["userType"], 1);
  EXPECT_EQ(writes[0]["dataType"], 1);
  EXPECT_EQ(writes[0]["hex"], "01000000");
  EXPECT_EQ(Calls("OpenKey").back()["path"], "/LM/W3SVC/1");
  EXPECT_EQ(ImageRecord(Image(), "/LM/W3SVC/1", 1012), nullptr) << "the command is not saved";
}

TEST_F(WebSiteStartTest, FailuresGiveOneOrTheWriteStatus) {
  const int32_t denied = static_cast<int32_t>(0x80070005);
  Json sta = Stock();
  sta["caller"]["comApartment"] = "STA";
  const struct {
    const char* what;
    Json image;
    ResultCode result;
    size_t saves;
  } cases[] = {
      {"single-threaded apartment", sta, kFailure, 0},
      {"no web site", WithoutKey(Stock(), "/LM/W3SVC/1"), kFailure, 1},
      {"site key refused", WithFault(Stock(), {{"call", "OpenKey"}, {"occurrence", 5}, {"status", denied}}), kFailure,
       1},
      {"write refused", WithFault(Stock(), {{"call", "SetData"}, {"status", denied}}), denied, 1},
      {"first save fails, ignored", WithFault(Stock(), {{"call", "SaveData"}, {"status", denied}}), kSuccess, 1},
  };
  for (const auto& c : cases) {
    Reset(c.image);
    EXPECT_EQ(StartDefaultWebSite(), c.result) << c.what;
    EXPECT_EQ(Calls("SaveData").size(), c.saves) << c.what;
    EXPECT_EQ(winsim::CountOpenResources().Total(), 0) << c.what;
  }
}

}  // namespace
