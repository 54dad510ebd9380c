#include "util/list_edits.h"

#include <gtest/gtest.h>

namespace {

// Field matching: whole fields, empty ones skipped, blanks and case kept.
TEST(WithFilterInLoadOrder, AddsTheNameAsAWholeFieldWithoutRejoining) {
  const struct {
    const char16_t *stored, *written;
  } cases[] = {
      {u"", u"PHP"},
      {u"sspifilt", u"sspifilt,PHP"},
      {u"sspifilt,PHP,Compression", u"sspifilt,PHP,Compression"},
      {u"sspifilt, PHP", u"sspifilt, PHP,PHP"},
      {u"php", u"php,PHP"},
      {u"PHP5", u"PHP5,PHP"},
      {u"MyPHP", u"MyPHP,PHP"},
      {u"sspifilt,Compression", u"sspifilt,Compression,PHP"},
      {u",,", u",,PHP"},
      {u"a,,PHP", u"a,,PHP"},
      {u"a,,b", u"a,,b,PHP"},
      {u"a,", u"a,,PHP"},
      {u",PHP", u",PHP"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithFilterInLoadOrder(c.stored, u"PHP"), c.written) << c.written;
}

TEST(WithDefaultDocument, AddsTheDocumentUnlessItOccursAnywhere) {
  const struct {
    const char16_t *stored, *written;
  } cases[] = {
      {u"Default.htm,index.htm", u"Default.htm,index.htm,index.php"},
      {u"index.php,Default.htm", u"index.php,Default.htm"},
      {u"Default.htm,index.php5", u"Default.htm,index.php5"},
      {u"INDEX.PHP", u"INDEX.PHP,index.php"},
      {u"", u"index.php"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithDefaultDocument(c.stored, u"index.php"), c.written) << c.written;
}

}  // namespace
