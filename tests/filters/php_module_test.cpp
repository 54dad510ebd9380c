#include "filters/php_module.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace {

const char kService[] = "/LM/W3SVC";
const char kRoot[] = "/LM/W3SVC/1/ROOT";
const char16_t kModule[] = u"C:\\PHP\\php5isapi.dll";
const char kEntry[] = ".php,C:\\PHP\\php5isapi.dll,5";

class PhpModuleTest : public HostTest {};

TEST_F(PhpModuleTest, InstallsTheFilterAndConfiguresTheServiceAndTheSite) {
  Reset(WithRecord(WithRecord(Stock(), kService, Dword(6016, 0x3FF)), kRoot, Dword(6016, 0x203)));
  EXPECT_EQ(InstallPhpModule(kModule), kSuccess);
  const Json image = Image();
  Json maps = Value(Stock(), kService, 6014);
  maps.push_back(kEntry);
  EXPECT_EQ(Value(image, "/LM/W3SVC/Filters", 2040), "PHP");
  EXPECT_EQ(Value(image, "/LM/W3SVC/Filters/PHP", 2041), "C:\\PHP\\php5isapi.dll");
  EXPECT_EQ(Value(image, "/LM/W3SVC/Filters/PHP", 2044), 0x6000);
  EXPECT_EQ(Value(image, "/LM/W3SVC/Filters/PHP", 2045), "ISAPI");
  for (const char* key : {kService, kRoot}) {
    EXPECT_EQ(Value(image, key, 6016), 0x205) << key << ": replaced, not merged";
    EXPECT_EQ(Value(image, key, 6006), "Default.htm,Default.asp,index.htm,Default.aspx,index.php") << key;
    EXPECT_EQ(*ImageRecord(image, key, 6014), ScriptMaps(maps)) << key;
  }
  for (const auto& write : Calls("SetData")) {
    EXPECT_EQ(write["attributes"], write["id"] == 6006 || write["id"] == 6014 || write["id"] == 6016 ? 1 : 0);
  }
  Reset(image);
  EXPECT_EQ(InstallPhpModule(kModule), kSuccess);
  EXPECT_EQ(Image(), image) << "twice is once";
}

TEST_F(PhpModuleTest, WithoutASiteAbsentServiceListsStartEmpty) {
  Reset(WithoutRecord(WithoutRecord(WithoutKey(Stock(), "/LM/W3SVC/1"), kService, 6006), kService, 6014));
  EXPECT_EQ(InstallPhpModule(kModule), kSuccess);
  EXPECT_EQ(Value(Image(), kService, 6006), "index.php");
  EXPECT_EQ(Value(Image(), kService, 6014), Json{kEntry});
  EXPECT_EQ(Value(Image(), kService, 6016), 0x205) << "without a site, the service is still configured";
  EXPECT_EQ(InstallPhpModule(u""), kFailure);
}

// A root without script maps of its own takes the service's list as its base,
// one key open at a time; a root with its own keeps it.
TEST_F(PhpModuleTest, ASiteRootWithoutScriptMapsStartsFromTheServiceList) {
  // Stored without the inherit attribute, the service's list does not reach the root.
  const Json serviceMaps = ScriptMaps({".asp,asp.dll,5", ".php,old.dll,5"}, 0);
  const struct {
    Json image;
    Json written;
  } cases[] = {
      {WithRecord(Stock(), kService, serviceMaps), {".asp,asp.dll,5", kEntry}},
      {WithRecord(Stock(), kRoot, ScriptMaps({".own,x.dll,1", ".php,old.dll,5"})), {".own,x.dll,1", kEntry}},
  };
  for (const auto& c : cases) {
    Reset(c.image);
    MetabaseConnection connection;
    EXPECT_EQ(ReplaceSiteScriptMap(connection, u"/LM/W3SVC/1/ROOT", kPhpExtension, PhpScriptMapEntry(kModule)),
              kSuccess);
    EXPECT_EQ(connection.AdminBase()->SaveData(), S_OK);
    EXPECT_EQ(Value(Image(), kRoot, 6014), c.written);
    EXPECT_EQ(*ImageRecord(Image(), kService, 6014), *ImageRecord(c.image, kService, 6014));
  }
  std::vector<std::string> keys;
  for (const auto& line : Journal()) {
    if (line["call"] == "OpenKey") keys.push_back(line["path"]);
    if (line["call"] == "CloseKey") keys.push_back("close");
  }
  EXPECT_EQ(keys, (std::vector<std::string>{kRoot, "close", kRoot, "close"}));
}

}  // namespace
