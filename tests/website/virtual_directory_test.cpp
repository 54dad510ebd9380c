#include "website/virtual_directory.h"

#include <gtest/gtest.h>

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

}  // namespace
