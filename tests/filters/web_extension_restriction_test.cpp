#include "filters/web_extension_restriction.h"

#include <gtest/gtest.h>

#include "support/fault_sweep.h"
#include "support/metabase_image.h"

namespace {

constexpr int32_t kAccessDenied = static_cast<int32_t>(0x80070005);
constexpr int32_t kDataNotFound = static_cast<int32_t>(0x800CC801);
constexpr int32_t kPathBusy = static_cast<int32_t>(0x80070094);
const char kService[] = "/LM/W3SVC";
const char16_t kPath[] = u"C:\\PHP\\php5isapi.dll";
const char16_t kDescription[] = u"PHP,PHP ISAPI";
const char kEntry[] = "1,C:\\PHP\\php5isapi.dll,1,PHP,PHP ISAPI";

Json RestrictionList(Json entries) {
  return {{"id", 2168}, {"attributes", 0}, {"userType", 1}, {"dataType", 5}, {"value", std::move(entries)}};
}

class WebExtensionRestrictionTest : public FaultSweepTest {};

TEST_F(WebExtensionRestrictionTest, DropsEveryEntryMentioningThePathAndAllowsItLast) {
  const struct {
    const char* what;
    Json stored;  // null: no record
    Json written;
  } cases[] = {
      {"absent record", Json(), {kEntry}},
      {"empty list", Json::array(), {kEntry}},
      {"denied", {"0,*.dll", "0,C:\\PHP\\php5isapi.dll,1,PHP,old", "0,*.exe"}, {"0,*.dll", "0,*.exe", kEntry}},
      {"already allowed", {kEntry, "0,*.exe"}, {"0,*.exe", kEntry}},
      {"other letter case stays", {"0,c:\\php\\php5isapi.dll,1,x"}, {"0,c:\\php\\php5isapi.dll,1,x", kEntry}},
      {"a longer path holding it goes", {"0,D:\\C:\\PHP\\php5isapi.dll.bak,1,x", "0,y"}, {"0,y", kEntry}},
  };
  for (const auto& c : cases) {
    Json image = Stock();
    auto& records = (*ImageKey(image, kService))["records"];
    for (size_t i = 0; i < records.size(); ++i) {
      if (records[i]["id"] == 2168) records.erase(i);
    }
    if (!c.stored.is_null()) image = WithRecord(image, kService, RestrictionList(c.stored));
    Reset(image);
    EXPECT_EQ(UpdateWebExtensionRestrictionList(kDescription, kPath), kSuccess) << c.what;
    EXPECT_EQ(*ImageRecord(Image(), kService, 2168), RestrictionList(c.written)) << c.what;
    ASSERT_EQ(Calls("SetData").size(), 1u);
    EXPECT_EQ(Calls("SetData")[0]["attributes"], 0);
    EXPECT_EQ(Calls("SetData")[0]["userType"], 1);
    const Json once = Image();
    Reset(once);
    EXPECT_EQ(UpdateWebExtensionRestrictionList(kDescription, kPath), kSuccess) << c.what;
    EXPECT_EQ(Image(), once) << c.what << ": twice is once";
  }
}

TEST_F(WebExtensionRestrictionTest, AnEmptyPathIsRefusedBeforeAnyCall) {
  EXPECT_EQ(UpdateWebExtensionRestrictionList(kDescription, TEXT("")), kFailure);
  EXPECT_TRUE(Journal().empty());
  EXPECT_EQ(UpdateWebExtensionRestrictionList(TEXT(""), kPath), kSuccess) << "an empty description is a value";
  EXPECT_EQ((*ImageRecord(Image(), kService, 2168))["value"].back(), "1,C:\\PHP\\php5isapi.dll,1,");
}

TEST_F(WebExtensionRestrictionTest, AListThatCannotBeReadIsNotReplaced) {
  const struct {
    int32_t readStatus;
    ResultCode result;
  } cases[] = {{kAccessDenied, kAccessDenied}, {kPathBusy, kPathBusy}, {kDataNotFound, kSuccess}};
  for (const auto& c : cases) {
    Reset(WithFault(Stock(), {{"call", "GetData"}, {"occurrence", 1}, {"status", c.readStatus}}));
    EXPECT_EQ(UpdateWebExtensionRestrictionList(kDescription, kPath), c.result);
    const size_t entries = (*ImageRecord(Image(), kService, 2168))["value"].size();
    EXPECT_EQ(entries, c.result == kSuccess ? 1u : (*ImageRecord(Stock(), kService, 2168))["value"].size());
  }
}

TEST_F(WebExtensionRestrictionTest, AFailureAtAnyCallSkipsTheSave) {
  const auto update = [] { return UpdateWebExtensionRestrictionList(kDescription, kPath); };
  EXPECT_EQ(SweepFaults(Stock(), "OpenKey", kAccessDenied, update), 1);
  EXPECT_EQ(SweepFaults(Stock(), "GetData", kAccessDenied, update), 2);
  EXPECT_EQ(SweepFaults(Stock(), "SetData", kAccessDenied, update), 1);
  EXPECT_EQ(SweepFaults(Stock(), "SaveData", kPathBusy, update), 1);
  Reset(WithTimeoutScale(WithHeldKey(Stock(), kService, 3), 0.01));
  EXPECT_EQ(update(), kFailure);
  EXPECT_TRUE(Calls("GetData").empty());
}

}  // namespace
