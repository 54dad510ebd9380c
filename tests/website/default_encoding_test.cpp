#include "website/default_encoding.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace {

const char kRoot[] = "/LM/W3SVC/1/ROOT";
Json MimeMap(Json entries) { return ListRecord(6015, std::move(entries)); }

class DefaultEncodingTest : public HostTest {};

// The stock map sits under /LM/MimeMap, which no site key inherits from.
TEST_F(DefaultEncodingTest, ReadsTheFirstHtmlEntryWithACharsetFromTheRootOrElseTheService) {
  const struct {
    Json root;  // null: none of its own
    Json service;
    ResultCode result;
    const char16_t* charset;
  } cases[] = {
      {{".htm,text/html;charset=utf-8"}, Json(), kSuccess, u"utf-8"},
      {{".html,text/html;charset=iso-8859-1;level=1"}, Json(), kSuccess, u"iso-8859-1"},
      {{".txt,t;charset=x", ".htm,text/html", ".html,h;charset=a", ".htm,h;charset=b"}, Json(), kSuccess, u"a"},
      {{".HTM,text/html;charset=x", ".htm,text/html;CHARSET=y"}, {".htm,x"}, kFailure, u"before"},
      {{".htm,text/html;charset="}, Json(), kSuccess, u""},
      {Json::array(), {".htm,x"}, kFailure, u"before"},
      {Json(), {".htm,x;charset=w3"}, kSuccess, u"w3"},
      {Json(), Json(), static_cast<int32_t>(0x800CC801), u"before"},
  };
  for (const auto& c : cases) {
    Json image = Stock();
    if (!c.root.is_null()) image = WithRecord(image, kRoot, MimeMap(c.root));
    if (!c.service.is_null()) image = WithRecord(image, "/LM/W3SVC", MimeMap(c.service));
    Reset(image);
    WideString charset = u"before";
    EXPECT_EQ(GetDefaultEncoding(charset), c.result) << c.root;
    EXPECT_EQ(charset, c.charset) << c.root;
  }
}

// Entries holding "*.htm" go; the two new ones go last, unchecked for duplicates.
TEST_F(DefaultEncodingTest, SetAppendsTwoEntriesOnTheRootKeyAndSaves) {
  const char kHtml[] = ".html,text/html;charset=utf-8", kHtm[] = ".htm,text/html;charset=utf-8";
  const struct {
    Json stored;  // null: the stock server, whose map the root does not inherit
    Json written;
  } cases[] = {
      {{"*.htm,old", ".htm,text/html;charset=old", ".gif,image/gif"},
       {".htm,text/html;charset=old", ".gif,image/gif", kHtml, kHtm}},
      {Json(), {kHtml, kHtm}},
      {{kHtml}, {kHtml, kHtml, kHtm}},
  };
  for (const auto& c : cases) {
    Reset(c.stored.is_null() ? Stock() : WithRecord(Stock(), kRoot, MimeMap(c.stored)));
    EXPECT_EQ(SetDefaultEncoding(u"utf-8"), kSuccess);
    EXPECT_EQ(Value(Image(), kRoot, 6015), c.written);
  }
}

TEST_F(DefaultEncodingTest, AFailedRootWriteIsRetriedOnTheWebServiceKey) {
  const int32_t denied = static_cast<int32_t>(0x80070005);
  Reset(WithFault(Stock(), {{"call", "SetData"}, {"occurrence", 1}, {"status", denied}}));
  EXPECT_EQ(SetDefaultEncoding(u"x"), kSuccess);
  EXPECT_EQ(ImageRecord(Image(), kRoot, 6015), nullptr);
  EXPECT_EQ(Value(Image(), "/LM/W3SVC", 6015), (Json{".html,text/html;charset=x", ".htm,text/html;charset=x"}));
  Reset(WithFault(Stock(), {{"call", "SetData"}, {"status", denied}}));
  EXPECT_EQ(SetDefaultEncoding(u"x"), denied);
  EXPECT_EQ(Calls("SetData").size(), 2u);
}

}  // namespace
