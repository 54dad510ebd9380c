#include "website/document_root.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/metabase_image.h"

namespace {

class DocumentRootTest : public HostTest {};

TEST_F(DocumentRootTest, ReadsThePathOfTheRootKey) {
  WideString path;
  EXPECT_EQ(GetDocumentRootPath(path), kSuccess);
  EXPECT_EQ(path, TEXT("C:\\Inetpub\\wwwroot"));
  const auto reads = Calls("GetData");
  EXPECT_EQ(reads.back()["id"], 3001);
  EXPECT_EQ(reads.back()["attributes"], 1);
  EXPECT_EQ(reads.back()["userType"], 2);
  EXPECT_EQ(Calls("OpenKey").back()["path"], "/LM/W3SVC/1/ROOT");
  EXPECT_TRUE(Calls("SaveData").empty());
}

TEST_F(DocumentRootTest, EachPathGivesItsResultAndLeavesTheOutputAloneOnFailure) {
  Json noRecord = Stock();
  auto& records = (*ImageKey(noRecord, "/LM/W3SVC/1/ROOT"))["records"];
  records.erase(1);
  const struct {
    const char* what;
    Json image;
    ResultCode result;
    const char16_t* path;
  } cases[] = {
      {"no ROOT key", WithoutKey(Stock(), "/LM/W3SVC/1/ROOT"), kFailure, u"before"},
      {"no web site", WithoutKey(Stock(), "/LM/W3SVC/1"), kFailure, u"before"},
      {"no path record", noRecord, static_cast<int32_t>(0x800CC801), u"before"},
      {"inherited from the site", WithRecord(noRecord, "/LM/W3SVC/1", StringRecord(3001, 1, 2, "D:\\site")), kSuccess,
       u"D:\\site"},
      {"text after a NUL",
       WithRecord(Stock(), "/LM/W3SVC/1/ROOT",
                  {{"id", 3001}, {"attributes", 1}, {"userType", 2}, {"dataType", 2}, {"hex", "4400000045000000"}}),
       kSuccess, u"D"},
      {"no data",
       WithRecord(Stock(), "/LM/W3SVC/1/ROOT",
                  {{"id", 3001}, {"attributes", 1}, {"userType", 2}, {"dataType", 2}, {"hex", ""}}),
       kSuccess, u"before"},
  };
  for (const auto& c : cases) {
    Reset(c.image);
    WideString path = TEXT("before");
    EXPECT_EQ(GetDocumentRootPath(path), c.result) << c.what;
    EXPECT_EQ(path, WideString(c.path)) << c.what;
    EXPECT_EQ(ImageKey(Image(), "/LM/W3SVC/1/ROOT") != nullptr, ImageKey(c.image, "/LM/W3SVC/1/ROOT") != nullptr)
        << c.what << ": nothing created";
  }
}

}  // namespace
