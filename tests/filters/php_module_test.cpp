#include "filters/php_module.h"

#include <gtest/gtest.h>

#include "filters/php_detection.h"
#include "support/fault_sweep.h"
#include "support/metabase_image.h"

namespace {

constexpr int32_t kAccessDenied = static_cast<int32_t>(0x80070005);
constexpr int32_t kPathBusy = static_cast<int32_t>(0x80070094);
const char kService[] = "/LM/W3SVC";
const char kRoot[] = "/LM/W3SVC/1/ROOT";
const char16_t kModule[] = u"C:\\PHP\\php5isapi.dll";
const char kEntry[] = ".php,C:\\PHP\\php5isapi.dll,5";

Json ScriptMaps(Json entries, int attributes = 1) {
  return {{"id", 6014}, {"attributes", attributes}, {"userType", 2}, {"dataType", 5}, {"value", std::move(entries)}};
}
Json Dword(int id, int value) {
  return {{"id", id}, {"attributes", 1}, {"userType", 2}, {"dataType", 1}, {"value", value}};
}
Json Value(const Json& image, const std::string& path, int id) {
  const Json* record = ImageRecord(image, path, id);
  return record ? (*record)["value"] : Json();
}

class PhpModuleTest : public FaultSweepTest {
 protected:
  // Runs one step operation on its own connection and saves what it wrote.
  template <typename Step>
  static ResultCode RunStep(Step step) {
    MetabaseConnection connection;
    const ResultCode result = step(connection);
    if (result == kSuccess) {
      EXPECT_EQ(connection.AdminBase()->SaveData(), S_OK);
    }
    return result;
  }
};

// Which entries stay is tabled in list_edits_test; here, what the record adds.
TEST_F(PhpModuleTest, DefaultDocumentsAndScriptMapsAreWrittenFromTheStoredRecordOrFromNothing) {
  for (const bool stored : {true, false}) {
    Json image = WithoutKey(Stock(), "/LM/W3SVC/1");  // nothing inherited from elsewhere
    auto& records = (*ImageKey(image, kService))["records"];
    for (size_t i = records.size(); i-- > 0;) {
      if (records[i]["id"] == 6006 || records[i]["id"] == 6014) records.erase(i);
    }
    if (stored) {
      image = WithRecord(image, kService, StringRecord(6006, 1, 2, "a.htm,index.php"));
      image = WithRecord(image, kService, ScriptMaps({".asp,asp.dll,5", ".php,C:\\old\\php4isapi.dll,5", ".cer,x,5"}));
    }
    Reset(image);
    EXPECT_EQ(RunStep([](MetabaseConnection& connection) {
                const ResultCode documents = AddDefaultDocument(connection, TEXT("/LM/W3SVC"), TEXT("index.php"));
                return documents
                           ? documents
                           : ReplaceScriptMap(connection, TEXT("/LM/W3SVC"), TEXT(".php"), PhpScriptMapEntry(kModule));
              }),
              kSuccess);
    EXPECT_EQ(Value(Image(), kService, 6006), stored ? "a.htm,index.php" : "index.php");
    EXPECT_EQ(*ImageRecord(Image(), kService, 6014),
              ScriptMaps(stored ? Json{".asp,asp.dll,5", ".cer,x,5", kEntry} : Json{kEntry}));
    const auto writes = Calls("SetData");
    ASSERT_EQ(writes.size(), 2u) << "written also when unchanged";
    for (const auto& write : writes) {
      EXPECT_EQ(write["attributes"], 1);
      EXPECT_EQ(write["userType"], 2);
    }
  }
}

TEST_F(PhpModuleTest, ASiteRootWithoutScriptMapsTakesTheServiceListAsItsBase) {
  // Stored without the inherit attribute, the service's list does not reach the root.
  const Json serviceMaps = ScriptMaps({".asp,asp.dll,5", ".php,old.dll,5", ".htr,ism.dll,1"}, 0);
  Reset(WithRecord(Stock(), kService, serviceMaps));
  EXPECT_EQ(RunStep([](MetabaseConnection& connection) {
              return ReplaceSiteScriptMap(connection, TEXT("/LM/W3SVC/1/ROOT"), TEXT(".php"),
                                          PhpScriptMapEntry(kModule));
            }),
            kSuccess);
  const Json image = Image();
  EXPECT_EQ(Value(image, kRoot, 6014), (Json{".asp,asp.dll,5", ".htr,ism.dll,1", kEntry}));
  EXPECT_EQ(*ImageRecord(image, kService, 6014), serviceMaps) << "the service's own list is only read";
  // One key at a time: root, then the service key, then the root again.
  std::vector<std::string> keys;
  for (const auto& line : Journal()) {
    if (line["call"] == "OpenKey") keys.push_back("open " + line["path"].get<std::string>());
    if (line["call"] == "CloseKey") keys.push_back("close");
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"open /LM/W3SVC/1/ROOT", "close", "open /LM/W3SVC", "close",
                                            "open /LM/W3SVC/1/ROOT", "close"}));
  ASSERT_EQ(Calls("SetData").size(), 1u);
}

TEST_F(PhpModuleTest, ASiteRootWithItsOwnListKeepsIt) {
  Reset(WithRecord(Stock(), kRoot, ScriptMaps({".own,x.dll,1", ".php,old.dll,5"})));
  EXPECT_EQ(RunStep([](MetabaseConnection& connection) {
              return ReplaceSiteScriptMap(connection, TEXT("/LM/W3SVC/1/ROOT"), TEXT(".php"),
                                          PhpScriptMapEntry(kModule));
            }),
            kSuccess);
  EXPECT_EQ(Value(Image(), kRoot, 6014), (Json{".own,x.dll,1", kEntry}));
  for (const auto& open : Calls("OpenKey")) EXPECT_EQ(open["path"], kRoot) << "the service key is not read";
}

TEST_F(PhpModuleTest, AccessPermissionsAreReplacedNotMerged) {
  for (const int stored : {0x201, 0x203, 0x3FF, 0}) {
    Reset(WithRecord(WithRecord(Stock(), kService, Dword(6016, stored)), kRoot, Dword(6016, stored)));
    EXPECT_EQ(InstallPhpModule(kModule), kSuccess);
    EXPECT_EQ(Value(Image(), kService, 6016), 0x205) << stored;
    EXPECT_EQ(Value(Image(), kRoot, 6016), 0x205) << stored;
  }
}

TEST_F(PhpModuleTest, InstallsTheFilterAndConfiguresTheServiceAndTheSite) {
  EXPECT_EQ(InstallPhpModule(kModule), kSuccess);
  const Json image = Image();
  EXPECT_EQ(Value(image, "/LM/W3SVC/Filters", 2040), "PHP");
  EXPECT_EQ(Value(image, "/LM/W3SVC/Filters/PHP", 1002), "IIsFilter");
  EXPECT_EQ(Value(image, "/LM/W3SVC/Filters/PHP", 2041), "C:\\PHP\\php5isapi.dll");
  EXPECT_EQ(Value(image, "/LM/W3SVC/Filters/PHP", 2044), 0x6000);
  EXPECT_EQ(Value(image, "/LM/W3SVC/Filters/PHP", 2045), "ISAPI");
  for (const char* key : {kService, kRoot}) {
    EXPECT_EQ(Value(image, key, 6006), "Default.htm,Default.asp,index.htm,Default.aspx,index.php") << key;
    const Json maps = Value(image, key, 6014);
    EXPECT_EQ(maps.back(), kEntry) << key;
    EXPECT_EQ(maps.size(), Value(Stock(), kService, 6014).size() + 1) << key;
  }
  EXPECT_EQ(Calls("SaveData").size(), 1u);
  EXPECT_TRUE(IsPhpFilterInstalled(kModule));
  EXPECT_TRUE(IsPhpEnabled());
}

TEST_F(PhpModuleTest, WithoutASiteOnlyTheFilterAndTheServiceAreConfigured) {
  Reset(WithoutKey(Stock(), "/LM/W3SVC/1"));
  EXPECT_EQ(InstallPhpModule(kModule), kSuccess);
  EXPECT_EQ(Value(Image(), kService, 6016), 0x205);
  EXPECT_EQ(Calls("SaveData").size(), 1u);
}

TEST_F(PhpModuleTest, RunningTwiceLeavesTheImageOfRunningOnce) {
  ASSERT_EQ(InstallPhpModule(kModule), kSuccess);
  const Json once = Image();
  Reset(once);
  ASSERT_EQ(InstallPhpModule(kModule), kSuccess);
  EXPECT_EQ(Image(), once);
}

TEST_F(PhpModuleTest, AnEmptyModulePathIsRefusedBeforeAnyCall) {
  EXPECT_EQ(InstallPhpModule(TEXT("")), kFailure);
  EXPECT_TRUE(Journal().empty());
}

// The site stage is a step like the others: it runs only after the service's
// script map was written, and its failure stops the save.
TEST_F(PhpModuleTest, TheSiteIsNotLookedUpAfterAnEarlierStepFailed) {
  Reset(WithFault(Stock(), {{"call", "SetData"}, {"occurrence", 10}, {"status", kAccessDenied}}));
  EXPECT_EQ(InstallPhpModule(kModule), kAccessDenied);
  ASSERT_EQ(Calls("SetData").size(), 10u);
  EXPECT_EQ(Calls("SetData")[9]["id"], 6014);
  EXPECT_TRUE(Calls("EnumKeys").empty());
  EXPECT_TRUE(Calls("SaveData").empty());
}

TEST_F(PhpModuleTest, AFailureAtAnyStepSkipsTheRestAndTheSave) {
  const auto install = [] { return InstallPhpModule(kModule); };
  EXPECT_EQ(SweepFaults(Stock(), "SetData", kAccessDenied, install), 13);
  EXPECT_GE(SweepFaults(Stock(), "OpenKey", kAccessDenied, install), 12);
  EXPECT_GE(SweepFaults(Stock(), "GetData", kAccessDenied, install), 6);
  EXPECT_EQ(SweepFaults(Stock(), "SaveData", kPathBusy, install), 1);
  Json sta = Stock();
  sta["caller"]["comApartment"] = "STA";
  Reset(sta);
  EXPECT_EQ(InstallPhpModule(kModule), kFailure);
  EXPECT_TRUE(Calls("OpenKey").empty());
}

}  // namespace
