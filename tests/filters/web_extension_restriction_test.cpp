#include "filters/web_extension_restriction.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace {

const char kService[] = "/LM/W3SVC";
const char16_t kPath[] = u"C:\\PHP\\php5isapi.dll";
const char kEntry[] = "1,C:\\PHP\\php5isapi.dll,1,PHP,PHP ISAPI";

Json RestrictionList(Json entries) { return ListRecord(2168, std::move(entries), 0, 1); }

class WebExtensionRestrictionTest : public HostTest {};

TEST_F(WebExtensionRestrictionTest, DropsEveryEntryMentioningThePathAndAllowsItLast) {
  const int32_t notFound = static_cast<int32_t>(0x800CC801);
  const struct {
    Json stored;  // null: no record
    int32_t readFault;
    Json written;
  } cases[] = {
      {Json(), 0, {kEntry}},
      {Json::array(), 0, {kEntry}},
      {{"0,*.dll", "0,C:\\PHP\\php5isapi.dll,1,PHP,old", "0,*.exe"}, 0, {"0,*.dll", "0,*.exe", kEntry}},
      {{kEntry, "0,*.exe"}, 0, {"0,*.exe", kEntry}},
      {{"0,c:\\php\\php5isapi.dll,1,x"}, 0, {"0,c:\\php\\php5isapi.dll,1,x", kEntry}},
      {{"0,D:\\C:\\PHP\\php5isapi.dll.bak,1,x", "0,y"}, 0, {"0,y", kEntry}},
      {{"0,y"}, notFound, {kEntry}},
  };
  for (const auto& c : cases) {
    Json image = WithoutRecord(Stock(), kService, 2168);
    if (!c.stored.is_null()) image = WithRecord(image, kService, RestrictionList(c.stored));
    Reset(c.readFault ? WithFault(image, {{"call", "GetData"}, {"occurrence", 1}, {"status", c.readFault}}) : image);
    EXPECT_EQ(UpdateWebExtensionRestrictionList(u"PHP,PHP ISAPI", kPath), kSuccess) << c.written;
    EXPECT_EQ(*ImageRecord(Image(), kService, 2168), RestrictionList(c.written));
  }
  EXPECT_EQ(UpdateWebExtensionRestrictionList(u"", kPath), kSuccess) << "an empty description is a value";
  EXPECT_EQ(Value(Image(), kService, 2168).back(), "1,C:\\PHP\\php5isapi.dll,1,");
  Reset(Stock());
  EXPECT_EQ(UpdateWebExtensionRestrictionList(u"PHP", u""), kFailure) << "an empty path is in every entry";
  EXPECT_TRUE(Journal().empty());
}

}  // namespace
