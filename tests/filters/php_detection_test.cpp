#include "filters/php_detection.h"

#include <gtest/gtest.h>

#include "filters/php_module.h"
#include "support/host_fixture.h"
#include "support/metabase_image.h"

namespace {

const char kService[] = "/LM/W3SVC";
const char kRoot[] = "/LM/W3SVC/1/ROOT";

Json ScriptMaps(Json entries, int attributes = 1) {
  return {{"id", 6014}, {"attributes", attributes}, {"userType", 2}, {"dataType", 5}, {"value", std::move(entries)}};
}

class PhpDetectionTest : public HostTest {};

TEST_F(PhpDetectionTest, TheFilterIsInstalledOnlyWithExactlyThatImagePath) {
  EXPECT_FALSE(IsPhpFilterInstalled(TEXT("C:\\PHP\\php5isapi.dll"))) << "no PHP filter key";
  ASSERT_EQ(InstallPhpModule(TEXT("C:\\PHP\\php5isapi.dll")), kSuccess);
  const struct {
    const char16_t* asked;
    bool installed;
  } cases[] = {
      {u"C:\\PHP\\php5isapi.dll", true},
      {u"c:\\php\\php5isapi.dll", false},
      {u"C:/PHP/php5isapi.dll", false},
      {u"C:\\PHP\\php5isapi.dll ", false},
      {u"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsPhpFilterInstalled(c.asked), c.installed) << std::string(c.asked, c.asked + 4);
  }
  Reset(WithKey(Stock(), "/LM/W3SVC/Filters", Key("PHP", {StringRecord(1002, 0, 1, "IIsFilter")})));
  EXPECT_FALSE(IsPhpFilterInstalled(TEXT(""))) << "no image path record";
  EXPECT_TRUE(Calls("SetData").empty());
}

TEST_F(PhpDetectionTest, TheRootDecidesAndTheServiceOnlyWhenTheRootGivesNoScriptMaps) {
  const Json servicePhp = ScriptMaps({".php,C:\\php.dll,5"}, 0);
  const struct {
    const char* what;
    Json root;     // null: the root has no script maps of its own
    Json service;  // stored without inheritance, so only the fallback sees it
    bool enabled;
    size_t keysRead;
  } cases[] = {
      {"root maps .php", ScriptMaps({".asp,a.dll,5", ".php,p.dll,5"}), Json(), true, 1},
      {"a longer extension", ScriptMaps({".php5,p.dll,5"}), Json(), true, 1},
      {"another extension's path holds .php", ScriptMaps({".cgi,C:\\.php\\x.exe,1"}), Json(), true, 1},
      {"capitals only", ScriptMaps({".PHP,p.dll,5"}), servicePhp, false, 1},
      {"root lacks .php, service has it", ScriptMaps({".asp,a.dll,5"}), servicePhp, false, 1},
      {"root has nothing, service has it", Json(), servicePhp, true, 2},
      {"root has nothing, service lacks it", Json(), ScriptMaps({".asp,a.dll,5"}, 0), false, 2},
      {"root has a list of no entries", ScriptMaps(Json::array()), servicePhp, false, 1},
  };
  for (const auto& c : cases) {
    Json image = Stock();
    image = WithRecord(image, kService, c.service.is_null() ? ScriptMaps({".asp,a.dll,5"}, 0) : c.service);
    if (!c.root.is_null()) image = WithRecord(image, kRoot, c.root);
    Reset(image);
    EXPECT_EQ(IsPhpEnabled(), c.enabled) << c.what;
    std::vector<std::string> opened;
    for (const auto& open : Calls("OpenKey")) opened.push_back(open["path"]);
    EXPECT_EQ(opened.back() == kService, c.keysRead == 2) << c.what;
    EXPECT_EQ(opened[opened.size() - c.keysRead], kRoot) << c.what;
  }
}

TEST_F(PhpDetectionTest, NoSiteOrNoConnectionGivesFalse) {
  Reset(WithRecord(WithoutKey(Stock(), "/LM/W3SVC/1"), kService, ScriptMaps({".php,p.dll,5"})));
  EXPECT_FALSE(IsPhpEnabled());
  for (const auto& open : Calls("OpenKey")) EXPECT_NE(open["path"], kService) << "no site, no service key";
  Json sta = Stock();
  sta["caller"]["comApartment"] = "STA";
  Reset(sta);
  EXPECT_FALSE(IsPhpEnabled());
  EXPECT_FALSE(IsPhpFilterInstalled(TEXT("x")));
}

}  // namespace
