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
  EXPECT_EQ(Calls("OpenKey").back()["path"], "/LM/W3SVC") << "the root first, then the web service key";
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

// The map read from the root (inherited or not) keeps its entries but those
// holding "*.htm"; the two new entries go last, without a check for duplicates.
TEST_F(DefaultEncodingTest, SetAppendsTwoEntriesOnTheRootKeyAndSaves) {
  const struct {
    Json stored;  // null: the stock server, whose map the root does not inherit
    Json written;
    const char16_t* readBack;
  } cases[] = {
      {{"*.htm,old", ".htm,text/html;charset=old", ".gif,image/gif"},
       {".htm,text/html;charset=old", ".gif,image/gif", ".html,text/html;charset=utf-8",
        ".htm,text/html;charset=utf-8"},
       u"old"},
      {Json(), {".html,text/html;charset=utf-8", ".htm,text/html;charset=utf-8"}, u"utf-8"},
      {{".html,text/html;charset=utf-8"},
       {".html,text/html;charset=utf-8", ".html,text/html;charset=utf-8", ".htm,text/html;charset=utf-8"},
       u"utf-8"},
  };
  for (const auto& c : cases) {
    Reset(c.stored.is_null() ? Stock() : WithRecord(Stock(), "/LM/W3SVC/1/ROOT", MimeMap(c.stored)));
    EXPECT_EQ(SetDefaultEncoding(TEXT("utf-8")), kSuccess);
    EXPECT_EQ((*ImageRecord(Image(), "/LM/W3SVC/1/ROOT", 6015))["value"], c.written);
    WideString charset;
    EXPECT_EQ(GetDefaultEncoding(charset), kSuccess);
    EXPECT_EQ(charset, WideString(c.readBack));
  }
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
