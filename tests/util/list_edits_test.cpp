#include "util/list_edits.h"

#include <gtest/gtest.h>

namespace {

// The load order takes the name as a whole field (empty ones skipped, blanks
// and case kept); the default documents take it unless it occurs anywhere.
TEST(ListEdits, AddTheEntryOnlyWhenTheListLacksIt) {
  const auto loadOrder = [](const WideString& list) { return WithFilterInLoadOrder(list, u"PHP"); };
  const auto documents = [](const WideString& list) { return WithDefaultDocument(list, u"index.php"); };
  const struct {
    WideString (*edit)(const WideString&);
    const char16_t *stored, *written;
  } cases[] = {
      {loadOrder, u"", u"PHP"},
      {loadOrder, u"sspifilt", u"sspifilt,PHP"},
      {loadOrder, u"sspifilt,PHP,Compression", u"sspifilt,PHP,Compression"},
      {loadOrder, u"sspifilt, PHP", u"sspifilt, PHP,PHP"},
      {loadOrder, u"php", u"php,PHP"},
      {loadOrder, u"PHP5", u"PHP5,PHP"},
      {loadOrder, u"MyPHP", u"MyPHP,PHP"},
      {loadOrder, u",,", u",,PHP"},
      {loadOrder, u"a,,PHP", u"a,,PHP"},
      {loadOrder, u"a,,b", u"a,,b,PHP"},
      {loadOrder, u"a,", u"a,,PHP"},
      {loadOrder, u",PHP", u",PHP"},
      {documents, u"Default.htm,index.htm", u"Default.htm,index.htm,index.php"},
      {documents, u"index.php,Default.htm", u"index.php,Default.htm"},
      {documents, u"Default.htm,index.php5", u"Default.htm,index.php5"},
      {documents, u"INDEX.PHP", u"INDEX.PHP,index.php"},
      {documents, u"", u"index.php"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.edit(c.stored), c.written) << c.stored;
}

}  // namespace
