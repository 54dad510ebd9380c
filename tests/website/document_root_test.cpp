#include "website/document_root.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace {

class DocumentRootTest : public HostTest {};

TEST_F(DocumentRootTest, ReadsTheRootKeysPathAndLeavesTheOutputAloneOtherwise) {
  const Json noRecord = WithoutRecord(Stock(), "/LM/W3SVC/1/ROOT", 3001);
  const auto path = [](const char* hex) {
    return Json{{"id", 3001}, {"attributes", 1}, {"userType", 2}, {"dataType", 2}, {"hex", hex}};
  };
  const struct {
    Json image;
    ResultCode result;
    const char16_t* path;
  } cases[] = {
      {Stock(), kSuccess, u"C:\\Inetpub\\wwwroot"},
      {WithoutKey(Stock(), "/LM/W3SVC/1/ROOT"), kFailure, u"before"},
      {noRecord, static_cast<int32_t>(0x800CC801), u"before"},
      {WithRecord(noRecord, "/LM/W3SVC/1", StringRecord(3001, 1, 2, "D:\\site")), kSuccess, u"D:\\site"},
      {WithRecord(Stock(), "/LM/W3SVC/1/ROOT", path("4400000045000000")), kSuccess, u"D"},
      {WithRecord(Stock(), "/LM/W3SVC/1/ROOT", path("")), kSuccess, u"before"},
  };
  for (const auto& c : cases) {
    Reset(c.image);
    WideString text = u"before";
    EXPECT_EQ(GetDocumentRootPath(text), c.result);
    EXPECT_EQ(text, c.path);
    EXPECT_EQ(Image(), c.image) << "nothing written";
  }
}

}  // namespace
