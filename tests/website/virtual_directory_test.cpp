#include "website/virtual_directory.h"

#include <gtest/gtest.h>

#include <chrono>

#include "support/host_fixture.h"
#include "support/virtual_directory_records.h"

namespace {

using Operation = ResultCode (*)(const WideString&, const WideString&);
const struct Kind {
  const char* name;
  Operation operation;
  bool jakarta;
} kKinds[] = {{"ordinary", CreateVirtualDirectory, false}, {"jakarta", CreateJakartaVirtualDirectory, true}};

class VirtualDirectoryTest : public HostTest {};

TEST_F(VirtualDirectoryTest, CreatesTheKeyUnderRootWritesEachRecordClosesItAndSaves) {
  for (const auto& kind : kKinds) {
    Reset(Stock());
    EXPECT_EQ(kind.operation(kDirectoryName, kDirectoryPath), kSuccess) << kind.name;
    const Json records = DirectoryRecords(kind.jakarta);
    Json written = Json::array(), expected = Json::array();
    for (const auto& write : Calls("SetData")) {
      written.push_back({write["id"], write["attributes"], write["userType"], write["dataType"], write["length"]});
    }
    for (const auto& r : records) {
      expected.push_back({r["id"], r["attributes"], r["userType"], r["dataType"], DirectoryRecordLength(r)});
    }
    EXPECT_EQ(written, expected) << kind.name;
    EXPECT_EQ((*ImageKey(Image(), "/LM/W3SVC/1/ROOT/jk"))["records"], records) << kind.name;
    const auto names = CallNames();
    EXPECT_EQ(std::vector<std::string>(names.end() - 4, names.end()),
              (std::vector<std::string>{"CloseKey", "SaveData", "Release", "Release"}));
  }
}

TEST_F(VirtualDirectoryTest, AnExistingDirectoryIsRewrittenAndEmptyValuesAreSkipped) {
  ASSERT_EQ(CreateVirtualDirectory(u"app", u"D:\\one"), kSuccess);
  Reset(Image());
  EXPECT_EQ(CreateJakartaVirtualDirectory(u"APP", u"D:\\two"), kSuccess);
  EXPECT_TRUE(Calls("AddKey").empty());
  EXPECT_EQ(Value(Image(), "/LM/W3SVC/1/ROOT/app", 3001), "D:\\two");
  EXPECT_EQ(Value(Image(), "/LM/W3SVC/1/ROOT/app", 2102), "app") << "other records stay";
  EXPECT_EQ(CreateVirtualDirectory(u"empty", u""), kSuccess);
  EXPECT_EQ(ImageRecord(Image(), "/LM/W3SVC/1/ROOT/empty", 3001), nullptr);
  // An empty name is the root key followed by "/": the ROOT key itself.
  EXPECT_EQ(CreateVirtualDirectory(u"", u"E:\\root"), kSuccess);
  EXPECT_EQ(Value(Image(), "/LM/W3SVC/1/ROOT", 2103), "/LM/W3SVC/1/ROOT/");
  EXPECT_EQ(Value(Image(), "/LM/W3SVC/1/ROOT", 3001), "E:\\root");
}

TEST_F(VirtualDirectoryTest, NoSiteNoRootOrAHeldRootGivesOneAndTouchesNothing) {
  const Json cases[] = {
      WithRecord(Stock(), "/LM/W3SVC/1", StringRecord(1002, 0, 1, "IIsFtpServer")),
      WithoutKey(Stock(), "/LM/W3SVC/1/ROOT"),
      WithTimeoutScale(WithHeldKey(Stock(), "/LM/W3SVC/1/ROOT", 3), 0.01),
  };
  for (const auto& kind : kKinds) {
    for (const auto& image : cases) {
      Reset(image);
      EXPECT_EQ(kind.operation(u"jk", u"C:\\jk"), kFailure) << kind.name;
      EXPECT_TRUE(Calls("SetData").empty());
      EXPECT_EQ(Image()["iis"], image["iis"]);
    }
  }
}

// A key held below the site also locks the site key itself, so the lookup
// is what waits and gives up.
TEST_F(VirtualDirectoryTest, AHeldKeyFailsOnlyAfterTheTimeOut) {
  Reset(WithTimeoutScale(WithHeldKey(Stock(), "/LM/W3SVC/1/ROOT", 1), 0.2));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(CreateVirtualDirectory(u"jk", u"C:\\jk"), kFailure);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  const auto opens = Calls("OpenKey");
  EXPECT_EQ(opens.back()["path"], "/LM/W3SVC/1");
  EXPECT_EQ(opens.back()["result"], static_cast<int32_t>(0x80070094));
}

}  // namespace
