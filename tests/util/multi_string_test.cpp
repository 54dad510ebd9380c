#include "util/multi_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <vector>

#include "metabase/record_buffer.h"

namespace {

// Keeps embedded NULs, which WideString(literal) would stop at.
template <size_t N>
WideString Units(const char16_t (&text)[N]) {
  return WideString(text, N - 1);
}

// A caller's buffer: null for kNone, else the units.
const WideString kNone = u"(none)";
void Fill(RecordBuffer& buffer, const WideString& units) {
  if (units == kNone) return;
  buffer.length = static_cast<DWORD>(units.size() * 2);
  buffer.data = new BYTE[buffer.length];
  std::memcpy(buffer.data, units.data(), buffer.length);
}
WideString UnitsOf(const RecordBuffer& buffer) {
  WideString units(buffer.length / 2, u'\0');
  if (buffer.data) std::memcpy(&units[0], buffer.data, units.size() * 2);
  return units;
}

TEST(AppendToMultiString, AddsTheEntryLastAndAnEmptyEntryChangesNothing) {
  const struct {
    WideString list, entry, expected;  // kNone expected: pointer and length as they were
  } cases[] = {
      {kNone, u"ab", Units(u"ab\0\0")},
      {Units(u"a\0bc\0\0"), u"d e", Units(u"a\0bc\0d e\0\0")},
      {Units(u"a\0\0"), u"a", Units(u"a\0a\0\0")},
      {kNone, u"", kNone},
      {Units(u"a\0\0"), u"", kNone},
  };
  for (const auto& c : cases) {
    RecordBuffer buffer;
    Fill(buffer, c.list);
    const BYTE* old = buffer.data;
    const WideString before = UnitsOf(buffer);
    AppendToMultiString(c.entry, buffer.data, buffer.length);
    EXPECT_EQ(UnitsOf(buffer), c.expected == kNone ? before : c.expected);
    EXPECT_EQ(old == buffer.data, c.expected == kNone);
  }
  RecordBuffer huge;
  Fill(huge, Units(u"a\0\0"));
  huge.length = 0xFFFFFFFC;
  EXPECT_THROW(AppendToMultiString(u"b", huge.data, huge.length), std::bad_alloc);
  EXPECT_EQ(huge.length, 0xFFFFFFFCu) << "thrown before the caller's buffer is touched";
  huge.length = 6;
}

TEST(RemoveFromMultiString, DropsEveryEntryContainingTheTextAndCutsAtTheClosingNul) {
  const WideString names = Units(u"alpha\0beta\0gamma\0\0");
  const struct {
    WideString list, text, expected;
  } cases[] = {
      {Units(u"a\0bc\0\0"), u"z", Units(u"a\0bc\0\0")},
      {Units(u"a\0\0junk\0\0"), u"z", Units(u"a\0\0")},
      {names, u"et", Units(u"alpha\0gamma\0\0")},
      {names, u"ET", names},
      {Units(u"a.dll\0b.exe\0c.dll\0\0"), u".dll", Units(u"b.exe\0\0")},
      {Units(u"x\0xy\0\0"), u"x", Units(u"\0")},
      {Units(u"a\0b\0\0"), u"", Units(u"\0")},
  };
  for (const auto& c : cases) {
    RecordBuffer buffer;
    Fill(buffer, c.list);
    RemoveFromMultiString(c.text, buffer.data, buffer.length);
    EXPECT_EQ(UnitsOf(buffer), c.expected);
  }
}

}  // namespace
