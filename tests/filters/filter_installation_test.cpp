#include "filters/filter_installation.h"

#include <gtest/gtest.h>

#include "support/fault_sweep.h"
#include "support/metabase_image.h"

namespace {

constexpr int32_t kAccessDenied = static_cast<int32_t>(0x80070005);
constexpr int32_t kDataNotFound = static_cast<int32_t>(0x800CC801);
constexpr int32_t kPathBusy = static_cast<int32_t>(0x80070094);
const char kFilters[] = "/LM/W3SVC/Filters";
const char kImage[] = "C:\\jk\\isapi_redirect.dll";

Json LoadOrder(const std::string& text) { return StringRecord(2040, 0, 1, text); }

Json Value(const Json& image, const std::string& path, int id) {
  const Json* record = ImageRecord(image, path, id);
  return record ? (*record)["value"] : Json();
}

class FilterInstallationTest : public FaultSweepTest {};

// The field rules are tabled in list_edits_test; here, the record around them.
TEST_F(FilterInstallationTest, TheLoadOrderGainsTheNameAsAWholeFieldAndKeepsItsForm) {
  const struct {
    const char* what;
    Json stored;  // null: no load order record
    const char* written;
  } cases[] = {
      {"absent record", Json(), "jakarta"},
      {"empty record", "", "jakarta"},
      {"other names", "sspifilt,Compression", "sspifilt,Compression,jakarta"},
      {"already present", "sspifilt,jakarta", "sspifilt,jakarta"},
      {"commas only", ",,,", ",,,jakarta"},
      {"a doubled comma, present", "a,,jakarta", "a,,jakarta"},
  };
  for (const auto& c : cases) {
    Json image = Stock();
    if (c.stored.is_null()) {
      auto& records = (*ImageKey(image, kFilters))["records"];
      records.erase(1);
      ASSERT_EQ(records.size(), 1u);
    } else {
      image = WithRecord(image, kFilters, LoadOrder(c.stored));
    }
    Reset(image);
    EXPECT_EQ(InstallIsapiRedirectFilter(TEXT("jakarta"), TEXT("C:\\jk.dll")), kSuccess) << c.what;
    EXPECT_EQ(Value(Image(), kFilters, 2040), c.written) << c.what;
  }
}

TEST_F(FilterInstallationTest, WritesTheFilterRecordsInOrderAfterTheLoadOrder) {
  EXPECT_EQ(InstallIsapiRedirectFilter(TEXT("jakarta"), WideString(u"C:\\jk\\isapi_redirect.dll")), kSuccess);
  std::vector<std::string> steps;
  for (const auto& line : Journal()) {
    if (line["call"] == "SetData") steps.push_back("set " + std::to_string(line["id"].get<int>()));
    if (line["call"] == "AddKey") steps.push_back("add " + line["path"].get<std::string>());
    if (line["call"] == "SaveData") steps.push_back("save");
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"set 1002", "set 2040", "add /jakarta", "set 1002", "set 2041", "set 1099",
                                             "set 2044", "set 2045", "save"}));
  for (const auto& write : Calls("SetData")) {
    EXPECT_EQ(write["attributes"], 0);
    EXPECT_EQ(write["userType"], 1);
  }
  const Json image = Image();
  EXPECT_EQ(Value(image, kFilters, 1002), "IIsFilters");
  const Json filter = {
      {1002, 2, "IIsFilter"}, {2041, 2, kImage}, {1099, 1, 0}, {2044, 1, 0x04084003}, {2045, 2, "Jakarta/ISAPI/1.2.2"}};
  for (const auto& want : filter) {
    const Json* record = ImageRecord(image, std::string(kFilters) + "/jakarta", want[0]);
    ASSERT_NE(record, nullptr) << want[0];
    EXPECT_EQ((*record)["dataType"], want[1]) << want[0];
    EXPECT_EQ((*record)["value"], want[2]) << want[0];
  }
}

TEST_F(FilterInstallationTest, AMissingFiltersKeyIsCreatedWithItsTypeAndTheNameAlone) {
  Reset(WithoutKey(Stock(), kFilters));
  EXPECT_EQ(InstallIsapiRedirectFilter(TEXT("jakarta"), TEXT("C:\\jk.dll")), kSuccess);
  const Json image = Image();
  EXPECT_EQ(Value(image, kFilters, 1002), "IIsFilters");
  EXPECT_EQ(Value(image, kFilters, 2040), "jakarta");
  EXPECT_EQ(Calls("AddKey")[0]["path"], "/Filters");
}

TEST_F(FilterInstallationTest, AnEmptyImagePathLeavesTheStoredOneAndWritesTheRest) {
  ASSERT_EQ(InstallIsapiRedirectFilter(TEXT("jakarta"), TEXT("C:\\old.dll")), kSuccess);
  Reset(WithRecord(Image(), "/LM/W3SVC/Filters/jakarta",
                   {{"id", 2044}, {"attributes", 0}, {"userType", 1}, {"dataType", 1}, {"value", 7}}));
  EXPECT_EQ(InstallIsapiRedirectFilter(TEXT("jakarta"), TEXT("")), kSuccess);
  for (const auto& write : Calls("SetData")) EXPECT_NE(write["id"], 2041);
  EXPECT_EQ(Value(Image(), "/LM/W3SVC/Filters/jakarta", 2041), "C:\\old.dll");
  EXPECT_EQ(Value(Image(), "/LM/W3SVC/Filters/jakarta", 2044), 0x04084003);
}

TEST_F(FilterInstallationTest, ANameThatCannotBeAFieldAndAKeyIsRefusedBeforeAnyCall) {
  for (const char16_t* name : {u"", u",", u"jk,php", u"/", u"jk/sub", u"/jk", u"jk,"}) {
    Reset(Stock());
    EXPECT_EQ(InstallIsapiRedirectFilter(name, TEXT("C:\\jk.dll")), kFailure);
    EXPECT_TRUE(Journal().empty()) << "a platform call was made";
    EXPECT_FALSE(IsFilterName(name));
  }
  MetabaseConnection connection;
  EXPECT_EQ(AddToFilterLoadOrder(connection, kFiltersKeyPath, TEXT("a,b")), kFailure);
  EXPECT_EQ(AddToFilterLoadOrder(connection, kFiltersKeyPath, TEXT("")), kFailure);
  EXPECT_TRUE(Calls("OpenKey").empty());
  EXPECT_TRUE(IsFilterName(TEXT("jakarta redirector.1\\x")));
}

TEST_F(FilterInstallationTest, ALoadOrderThatCannotBeReadIsNotReplaced) {
  const struct {
    const char* what;
    int32_t readStatus;
    ResultCode result;
    const char* stored;
  } cases[] = {
      {"refused", kAccessDenied, kAccessDenied, "sspifilt"},
      {"busy", kPathBusy, kPathBusy, "sspifilt"},
      {"absent", kDataNotFound, kSuccess, "jakarta"},
  };
  for (const auto& c : cases) {
    Reset(WithFault(WithRecord(Stock(), kFilters, LoadOrder("sspifilt")),
                    {{"call", "GetData"}, {"occurrence", 1}, {"status", c.readStatus}}));
    EXPECT_EQ(InstallIsapiRedirectFilter(TEXT("jakarta"), TEXT("C:\\jk.dll")), c.result) << c.what;
    EXPECT_EQ(Value(Image(), kFilters, 2040), c.stored) << c.what;
  }
}

TEST_F(FilterInstallationTest, RunningTwiceLeavesTheImageOfRunningOnce) {
  ASSERT_EQ(InstallIsapiRedirectFilter(TEXT("jakarta"), TEXT("C:\\jk.dll")), kSuccess);
  const Json once = Image();
  Reset(once);
  ASSERT_EQ(InstallIsapiRedirectFilter(TEXT("jakarta"), TEXT("C:\\jk.dll")), kSuccess);
  EXPECT_EQ(Image(), once);
  EXPECT_TRUE(Calls("AddKey").empty());
}

TEST_F(FilterInstallationTest, AFailureAtAnyStepSkipsTheRestAndTheSave) {
  const auto install = [] { return InstallIsapiRedirectFilter(TEXT("jakarta"), TEXT("C:\\jk.dll")); };
  const Json missing = WithoutKey(Stock(), kFilters);
  EXPECT_EQ(SweepFaults(Stock(), "SetData", kAccessDenied, install), 7);
  EXPECT_EQ(SweepFaults(Stock(), "OpenKey", kAccessDenied, install), 6);
  EXPECT_EQ(SweepFaults(missing, "OpenKey", kAccessDenied, install), 8);
  EXPECT_EQ(SweepFaults(Stock(), "AddKey", kAccessDenied, install), 1);
  EXPECT_EQ(SweepFaults(Stock(), "GetData", kAccessDenied, install), 2);
  EXPECT_EQ(SweepFaults(Stock(), "SaveData", kPathBusy, install), 1);
}

}  // namespace
