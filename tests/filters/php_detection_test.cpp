#include "filters/php_detection.h"

#include <gtest/gtest.h>

#include "filters/php_module.h"
#include "support/host_fixture.h"

namespace {

const char kService[] = "/LM/W3SVC";
const char kRoot[] = "/LM/W3SVC/1/ROOT";

class PhpDetectionTest : public HostTest {};

TEST_F(PhpDetectionTest, TheFilterIsInstalledOnlyWithExactlyThatImagePath) {
  EXPECT_FALSE(IsPhpFilterInstalled(u"C:\\PHP\\php5isapi.dll")) << "no PHP filter key";
  ASSERT_EQ(InstallPhpModule(u"C:\\PHP\\php5isapi.dll"), kSuccess);
  for (const char16_t* other : {u"c:\\php\\php5isapi.dll", u"C:/PHP/php5isapi.dll", u"C:\\PHP\\php5isapi.dll ", u""}) {
    EXPECT_FALSE(IsPhpFilterInstalled(other));
  }
  EXPECT_TRUE(IsPhpFilterInstalled(u"C:\\PHP\\php5isapi.dll"));
  Reset(WithKey(Stock(), "/LM/W3SVC/Filters", Key("PHP", {StringRecord(1002, 0, 1, "IIsFilter")})));
  EXPECT_FALSE(IsPhpFilterInstalled(u"")) << "no image path record";
}

TEST_F(PhpDetectionTest, TheRootDecidesAndTheServiceOnlyWhenTheRootGivesNoScriptMaps) {
  // Stored without inheritance, so only the fallback sees the service's list.
  const Json servicePhp = ScriptMaps({".php,C:\\php.dll,5"}, 0);
  const struct {
    const char* what;
    Json root;  // null: the root has no script maps of its own
    Json service;
    bool enabled;
  } cases[] = {
      {"root maps .php", ScriptMaps({".asp,a.dll,5", ".php,p.dll,5"}), Json(), true},
      {"a longer extension", ScriptMaps({".php5,p.dll,5"}), Json(), true},
      {"another entry's path holds .php", ScriptMaps({".cgi,C:\\.php\\x.exe,1"}), Json(), true},
      {"capitals only", ScriptMaps({".PHP,p.dll,5"}), servicePhp, false},
      {"root lacks it, service has it", ScriptMaps({".asp,a.dll,5"}), servicePhp, false},
      {"root has a list of no entries", ScriptMaps(Json::array()), servicePhp, false},
      {"root has nothing, service has it", Json(), servicePhp, true},
      {"root has nothing, service lacks it", Json(), ScriptMaps({".asp,a.dll,5"}, 0), false},
  };
  for (const auto& c : cases) {
    Json image = WithRecord(Stock(), kService, c.service.is_null() ? ScriptMaps({".asp,a.dll,5"}, 0) : c.service);
    if (!c.root.is_null()) image = WithRecord(image, kRoot, c.root);
    Reset(image);
    EXPECT_EQ(IsPhpEnabled(), c.enabled) << c.what;
    EXPECT_EQ(Calls("OpenKey").back()["path"], c.root.is_null() ? kService : kRoot) << c.what;
  }
  Reset(WithRecord(WithoutKey(Stock(), "/LM/W3SVC/1"), kService, ScriptMaps({".php,p.dll,5"})));
  EXPECT_FALSE(IsPhpEnabled()) << "no site";
}

}  // namespace
