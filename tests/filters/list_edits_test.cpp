#include "filters/list_edits.h"

#include <gtest/gtest.h>

#include "util/multi_string.h"
#include "util/string_list.h"

namespace {

StringList Entries(const RecordBuffer& buffer) {
  StringList entries;
  MultiStringToList(entries, reinterpret_cast<const WCHAR*>(buffer.data), buffer.length);
  return entries;
}

void Fill(RecordBuffer& buffer, const StringList& entries) {
  for (const auto& entry : entries) AppendToMultiString(entry, buffer.data, buffer.length);
}

TEST(WithFilterInLoadOrder, AddsTheNameAsAWholeFieldWithoutRejoining) {
  const struct {
    const char* what;
    const char16_t* stored;
    const char16_t* written;
  } cases[] = {
      {"empty record", u"", u"PHP"},
      {"another name", u"sspifilt", u"sspifilt,PHP"},
      {"already a field", u"sspifilt,PHP,Compression", u"sspifilt,PHP,Compression"},
      {"alone", u"PHP", u"PHP"},
      {"after a comma and a blank", u"sspifilt, PHP", u"sspifilt, PHP,PHP"},
      {"other letter case", u"php", u"php,PHP"},
      {"a longer name", u"PHP5", u"PHP5,PHP"},
      {"part of a longer name", u"MyPHP", u"MyPHP,PHP"},
      {"commas only", u",,", u",,PHP"},
      {"doubled comma, found", u"a,,PHP", u"a,,PHP"},
      {"doubled comma, not found", u"a,,b", u"a,,b,PHP"},
      {"trailing comma", u"a,", u"a,,PHP"},
      {"leading comma, found", u",PHP", u",PHP"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithFilterInLoadOrder(c.stored, TEXT("PHP")), WideString(c.written)) << c.what;
  }
}

TEST(WithDefaultDocument, AddsTheDocumentUnlessItOccursAnywhere) {
  const struct {
    const char* what;
    const char16_t* stored;
    const char16_t* written;
  } cases[] = {
      {"three names", u"Default.htm,Default.asp,index.htm", u"Default.htm,Default.asp,index.htm,index.php"},
      {"already there", u"index.php,Default.htm", u"index.php,Default.htm"},
      {"inside a longer name", u"Default.htm,index.php5", u"Default.htm,index.php5"},
      {"other letter case", u"INDEX.PHP", u"INDEX.PHP,index.php"},
      {"no documents", u"", u"index.php"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithDefaultDocument(c.stored, TEXT("index.php")), WideString(c.written)) << c.what;
  }
}

TEST(ReplaceEntriesContaining, DropsMatchesKeepsTheOthersInOrderAndAppendsLast) {
  const struct {
    const char* what;
    StringList stored;
    StringList written;
  } cases[] = {
      {"no list", {}, {u".php,new,5"}},
      {"matches anywhere in an entry",
       {u".asp,asp.dll,5", u".php,old.dll,5", u".php5,x,5", u".cgi,C:\\.php\\cgi.exe,1", u".PHP,upper,5", u".htr,y,1"},
       {u".asp,asp.dll,5", u".PHP,upper,5", u".htr,y,1", u".php,new,5"}},
      {"everything goes", {u".php,a", u".php,b"}, {u".php,new,5"}},
  };
  for (const auto& c : cases) {
    RecordBuffer buffer;
    Fill(buffer, c.stored);
    ReplaceEntriesContaining(TEXT(".php"), TEXT(".php,new,5"), buffer);
    EXPECT_EQ(Entries(buffer), c.written) << c.what;
    EXPECT_EQ(buffer.length, [&] {
      DWORD bytes = 2;
      for (const auto& entry : c.written) bytes += static_cast<DWORD>(entry.size() + 1) * 2;
      return bytes;
    }()) << c.what;
  }
}

TEST(ReplaceEntriesContaining, AnEmptyListOfTwoBytesTakesTheEntry) {
  RecordBuffer buffer;
  buffer.data = new BYTE[2]();
  buffer.length = 2;
  ReplaceEntriesContaining(TEXT("x"), TEXT("1,x,1,d"), buffer);
  EXPECT_EQ(Entries(buffer), StringList{u"1,x,1,d"});
}

}  // namespace
