#include "website/default_encoding.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/metabase_image.h"

namespace {

constexpr int32_t kDataNotFound = static_cast<int32_t>(0x800CC801);

Json MimeMap(Json entries) {
  return {{"id", 6015}, {"attributes", 1}, {"userType", 2}, {"dataType", 5}, {"value", std::move(entries)}};
}

class DefaultEncodingTest : public HostTest {};

// The default map sits under /LM/MimeMap, which no site key inherits from.
TEST_F(DefaultEncodingTest, AFreshServerHasNoCharsetToRead) {
  WideString charset = TEXT("unchanged");
  EXPECT_EQ(GetDefaultEncoding(charset), kDataNotFound);
  EXPECT_EQ(charset, TEXT("unchanged"));
  std::vector<std::string> opened;
  for (const auto& open : Calls("OpenKey")) opened.push_back(open["path"]);
  EXPECT_EQ(opened.back(), "/LM/W3SVC");
  EXPECT_EQ(opened[opened.size() - 2], "/LM/W3SVC/1/ROOT");
}

TEST_F(DefaultEncodingTest, ReadsTheFirstHtmlEntryWithACharset) {
  const struct {
    const char* what;
    Json entries;
    ResultCode result;
    const char16_t* charset;
  } cases[] = {
      {"plain", {".htm,text/html;charset=utf-8"}, kSuccess, u"utf-8"},
      {"parameters after it", {".html,text/html;charset=iso-8859-1;level=1"}, kSuccess, u"iso-8859-1"},
      {"first in stored order wins",
       {".txt,text/plain;charset=x", ".htm,text/html", ".html,text/html;charset=a", ".htm,text/html;charset=b"},
       kSuccess,
       u"a"},
      {"case-sensitive", {".HTM,text/html;charset=x", ".htm,text/html;CHARSET=y"}, kFailure, u"before"},
      {"empty value", {".htm,text/html;charset="}, kSuccess, u""},
      {"empty map", Json::array(), kFailure, u"before"},
      {"the web service key's map", Json(), kSuccess, u"w3"},
  };
  for (const auto& c : cases) {
    // The fallback key holds a map without a charset, or the one with "w3".
    Json image = WithRecord(Stock(), "/LM/W3SVC", MimeMap({c.entries.is_null() ? ".htm,x;charset=w3" : ".htm,x"}));
    if (!c.entries.is_null()) image = WithRecord(image, "/LM/W3SVC/1/ROOT", MimeMap(c.entries));
    Reset(image);
    WideString charset = TEXT("before");
    EXPECT_EQ(GetDefaultEncoding(charset), c.result) << c.what;
    EXPECT_EQ(charset, WideString(c.charset)) << c.what;
  }
}

TEST_F(DefaultEncodingTest, SetAppendsTwoEntriesOnTheRootKeyAndSaves) {
  Reset(
      WithRecord(Stock(), "/LM/W3SVC/1/ROOT", MimeMap({"*.htm,old", ".htm,text/html;charset=old", ".gif,image/gif"})));
  EXPECT_EQ(SetDefaultEncoding(TEXT("utf-8")), kSuccess);
  EXPECT_EQ((*ImageRecord(Image(), "/LM/W3SVC/1/ROOT", 6015))["value"],
            (Json{".htm,text/html;charset=old", ".gif,image/gif", ".html,text/html;charset=utf-8",
                  ".htm,text/html;charset=utf-8"}));
  WideString charset;
  EXPECT_EQ(GetDefaultEncoding(charset), kSuccess);
  EXPECT_EQ(charset, TEXT("old")) << "the older entry comes first";
}

TEST_F(DefaultEncodingTest, AMapThatCannotBeReadIsWrittenWithOnlyTheTwoEntries) {
  EXPECT_EQ(SetDefaultEncoding(TEXT("utf-8")), kSuccess);
  EXPECT_EQ((*ImageRecord(Image(), "/LM/W3SVC/1/ROOT", 6015))["value"],
            (Json{".html,text/html;charset=utf-8", ".htm,text/html;charset=utf-8"}));
  WideString charset;
  EXPECT_EQ(GetDefaultEncoding(charset), kSuccess);
  EXPECT_EQ(charset, TEXT("utf-8"));
  EXPECT_EQ(SetDefaultEncoding(TEXT("utf-8")), kSuccess);
  EXPECT_EQ((*ImageRecord(Image(), "/LM/W3SVC/1/ROOT", 6015))["value"].size(), 4u) << "no duplicate check";
}

TEST_F(DefaultEncodingTest, AFailedRootWriteIsRetriedOnTheWebServiceKey) {
  const int32_t denied = static_cast<int32_t>(0x80070005);
  Reset(WithFault(Stock(), {{"call", "SetData"}, {"occurrence", 1}, {"status", denied}}));
  EXPECT_EQ(SetDefaultEncoding(TEXT("x")), kSuccess);
  EXPECT_EQ(ImageRecord(Image(), "/LM/W3SVC/1/ROOT", 6015), nullptr);
  EXPECT_EQ((*ImageRecord(Image(), "/LM/W3SVC", 6015))["value"],
            (Json{".html,text/html;charset=x", ".htm,text/html;charset=x"}));
}

TEST_F(DefaultEncodingTest, NothingIsSavedWhenBothWritesFail) {
  const int32_t denied = static_cast<int32_t>(0x80070005);
  Reset(WithFault(Stock(), {{"call", "SetData"}, {"status", denied}}));
  EXPECT_EQ(SetDefaultEncoding(TEXT("x")), denied);
  EXPECT_EQ(Calls("SetData").size(), 2u);
  EXPECT_TRUE(Calls("SaveData").empty());
  Reset(WithoutKey(Stock(), "/LM/W3SVC/1"));
  EXPECT_EQ(SetDefaultEncoding(TEXT("x")), kFailure);
  EXPECT_TRUE(Calls("SetData").empty());
}

}  // namespace
