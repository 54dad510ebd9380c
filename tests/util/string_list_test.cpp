#include "util/string_list.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitAtCharacter, AppendsNonEmptyFieldsInOrder) {
  struct Case {
    WideString text;
    WCHAR delimiter;
    StringList expected;
  };
  const Case cases[] = {
      {TEXT(""), ',', {}},
      {TEXT(",,,"), ',', {}},
      {TEXT("abc"), ',', {TEXT("abc")}},
      {TEXT("a;b"), ',', {TEXT("a;b")}},
      {TEXT("a;b"), ';', {TEXT("a"), TEXT("b")}},
      {TEXT(",a,,b,"), ',', {TEXT("a"), TEXT("b")}},
      {TEXT(" a , b "), ',', {TEXT(" a "), TEXT(" b ")}},
      {TEXT("x,x"), ',', {TEXT("x"), TEXT("x")}},
  };
  for (Case c : cases) {
    SCOPED_TRACE(testing::Message() << "text of " << c.text.size() << " units");
    StringList list = {TEXT("held")};
    SplitAtCharacter(c.text, c.delimiter, list);
    c.expected.insert(c.expected.begin(), TEXT("held"));
    EXPECT_EQ(c.expected, list);
  }
}

TEST(ListContains, MatchesWholeItemsExactly) {
  struct Case {
    StringList list;
    WideString value;
    bool expected;
  };
  const StringList filters = {TEXT("sspifilt"), TEXT("Compression"), TEXT("md5filt")};
  const Case cases[] = {
      {{}, TEXT("a"), false},
      {filters, TEXT("md5filt"), true},
      {filters, TEXT("compression"), false},
      {filters, TEXT("md5filt "), false},
      {filters, TEXT("md5"), false},
      {filters, TEXT("sspifilt,Compression"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "list of " << c.list.size() << ", value of " << c.value.size() << " units");
    EXPECT_EQ(c.expected, ListContains(c.list, c.value));
  }
}

}  // namespace
