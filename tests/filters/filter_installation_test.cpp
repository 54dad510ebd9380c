#include "filters/filter_installation.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace {

const char kFilters[] = "/LM/W3SVC/Filters";

class FilterInstallationTest : public HostTest {
 protected:
  static ResultCode Install(const WideString& name = u"jakarta", const WideString& image = u"C:\\jk.dll") {
    return InstallIsapiRedirectFilter(name, image);
  }
};

TEST_F(FilterInstallationTest, WritesTheLoadOrderThenTheFilterKeyAndItsRecordsThenSaves) {
  EXPECT_EQ(Install(), kSuccess);
  std::vector<std::string> steps;
  for (const auto& line : Journal()) {
    if (line["call"] == "SetData") {
      steps.push_back("set " + std::to_string(line["id"].get<int>()));
    }
    if (line["call"] == "AddKey") steps.push_back("add " + line["path"].get<std::string>());
    if (line["call"] == "SaveData") steps.push_back("save");
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"set 1002", "set 2040", "add /jakarta", "set 1002", "set 2041", "set 1099",
                                             "set 2044", "set 2045", "save"}));
  const Json image = Image();
  EXPECT_EQ(Value(image, kFilters, 1002), "IIsFilters");
  EXPECT_EQ((*ImageKey(image, "/LM/W3SVC/Filters/jakarta"))["records"],
            Json::array({StringRecord(1002, 0, 1, "IIsFilter"), StringRecord(2041, 0, 1, "C:\\jk.dll"),
                         Record(1099, 0, 1, 1, 0), Record(2044, 0, 1, 1, 0x04084003),
                         StringRecord(2045, 0, 1, "Jakarta/ISAPI/1.2.2")}));
  Reset(image);
  EXPECT_EQ(Install(), kSuccess);
  EXPECT_EQ(Image(), image) << "twice is once";
}

// The field rules are tabled in list_edits_test; here, the record around them.
TEST_F(FilterInstallationTest, TheLoadOrderIsReplacedOnlyWhenItCouldBeRead) {
  const int32_t notFound = static_cast<int32_t>(0x800CC801);
  const struct {
    Json image;
    int32_t readFault;  // 0: none
    const char* written;
  } cases[] = {
      {WithRecord(Stock(), kFilters, StringRecord(2040, 0, 1, "a,b")), 0, "a,b,jakarta"},
      {WithoutKey(Stock(), kFilters), 0, "jakarta"},
      {WithRecord(Stock(), kFilters, StringRecord(2040, 0, 1, "a")), notFound, "jakarta"},
  };
  for (const auto& c : cases) {
    Reset(c.readFault ? WithFault(c.image, {{"call", "GetData"}, {"occurrence", 1}, {"status", c.readFault}})
                      : c.image);
    EXPECT_EQ(Install(), kSuccess) << c.written;
    EXPECT_EQ(Value(Image(), kFilters, 2040), c.written);
    EXPECT_EQ(Value(Image(), kFilters, 1002), "IIsFilters");
  }
}

TEST_F(FilterInstallationTest, AnEmptyImagePathLeavesTheStoredOneAndWritesTheRest) {
  ASSERT_EQ(Install(u"jakarta", u"C:\\old.dll"), kSuccess);
  Reset(WithRecord(Image(), "/LM/W3SVC/Filters/jakarta", Record(2044, 0, 1, 1, 7)));
  EXPECT_EQ(Install(u"jakarta", u""), kSuccess);
  EXPECT_EQ(Value(Image(), "/LM/W3SVC/Filters/jakarta", 2041), "C:\\old.dll");
  EXPECT_EQ(Value(Image(), "/LM/W3SVC/Filters/jakarta", 2044), 0x04084003);
}

TEST_F(FilterInstallationTest, ANameThatCannotBeAFieldAndAKeyIsRefusedBeforeAnyCall) {
  for (const WideString& name : {WideString(), WideString(u","), WideString(u"jk,php"), WideString(u"jk/sub"),
                                 WideString(u"/jk"), WideString(256, u'n')}) {
    Reset(Stock());
    EXPECT_EQ(Install(name), kFailure) << name.size();
    MetabaseConnection connection;
    EXPECT_EQ(AddToFilterLoadOrder(connection, kFiltersKeyPath, name), kFailure);
    EXPECT_TRUE(Calls("OpenKey").empty()) << name.size();
  }
  EXPECT_EQ(Install(WideString(255, u'n')), kSuccess);
  EXPECT_EQ(Install(u"jakarta redirector.1\\x"), kSuccess);
}

}  // namespace
