#include "website/web_site_start.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace {

class WebSiteStartTest : public HostTest {};

TEST_F(WebSiteStartTest, SavesFirstThenWritesTheStartCommandAndSavesNothingAfter) {
  EXPECT_EQ(StartDefaultWebSite(), kSuccess);
  const auto names = CallNames();
  EXPECT_EQ(std::count(names.begin(), names.end(), "SaveData"), 1);
  EXPECT_LT(std::find(names.begin(), names.end(), "SaveData"), std::find(names.begin(), names.end(), "EnumKeys"));
  const auto writes = Calls("SetData");
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(Json({writes[0]["id"], writes[0]["attributes"], writes[0]["userType"], writes[0]["hex"]}),
            Json({1012, 0, 1, "01000000"}));
  EXPECT_EQ(Calls("OpenKey").back()["path"], "/LM/W3SVC/1");
  EXPECT_EQ(ImageRecord(Image(), "/LM/W3SVC/1", 1012), nullptr) << "the command is not saved";
  Reset(WithFault(Stock(), {{"call", "SaveData"}, {"status", 5}}));
  EXPECT_EQ(StartDefaultWebSite(), kSuccess) << "the first save's status is not looked at";
}

}  // namespace
