#include "util/multi_string.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

namespace {

// Keeps embedded NULs, which WideString(literal) would stop at.
template <size_t N>
WideString Units(const WCHAR (&text)[N]) {
  return WideString(text, N - 1);
}

std::vector<BYTE> LittleEndian(const WideString& units) {
  std::vector<BYTE> bytes;
  for (WCHAR unit : units) {
    bytes.push_back(static_cast<BYTE>(unit & 0xFF));
    bytes.push_back(static_cast<BYTE>((unit >> 8) & 0xFF));
  }
  return bytes;
}

const WideString kNoBuffer = TEXT("(null)");
constexpr DWORD kWhole = 0xFFFFFFFF;

// Holds a buffer the way a caller does and releases whatever it ends up with.
struct Buffer {
  BYTE* data = nullptr;
  DWORD length = 0;

  // The units as bytes; length says how many of them the caller passes.
  explicit Buffer(const WideString& units, DWORD passed = kWhole) {
    if (units == kNoBuffer) {
      length = passed == kWhole ? 0 : passed;
      return;
    }
    const std::vector<BYTE> bytes = LittleEndian(units);
    data = new BYTE[bytes.size()];
    std::copy(bytes.begin(), bytes.end(), data);
    length = passed == kWhole ? static_cast<DWORD>(bytes.size()) : passed;
  }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  ~Buffer() { delete[] data; }

  std::vector<BYTE> Bytes() const { return std::vector<BYTE>(data, data + length); }
};

TEST(AppendToMultiString, AddsEntryLastFollowedByTwoNuls) {
  struct Case {
    const char* what;
    WideString list;
    DWORD length;
    WideString entry;
    WideString expected;  // kNoBuffer: pointer and length as they were
  };
  const Case cases[] = {
      {"no buffer", kNoBuffer, kWhole, TEXT("ab"), Units(TEXT("ab\0\0"))},
      {"empty list", Units(TEXT("\0")), kWhole, TEXT("x"), Units(TEXT("x\0\0"))},
      {"two entries", Units(TEXT("a\0bc\0\0")), kWhole, TEXT("d e"), Units(TEXT("a\0bc\0d e\0\0"))},
      {"a duplicate", Units(TEXT("a\0\0")), kWhole, TEXT("a"), Units(TEXT("a\0a\0\0"))},
      {"bytes beyond the length", Units(TEXT("a\0\0zz\0\0")), 6, TEXT("b"), Units(TEXT("a\0b\0\0"))},
      // The old allocation is released, not leaked; a leak checker sees that.
      {"a buffer of length zero", Units(TEXT("q\0\0")), 0, TEXT("x"), Units(TEXT("x\0\0"))},
      {"empty entry, no buffer", kNoBuffer, kWhole, WideString(), kNoBuffer},
      {"empty entry", Units(TEXT("a\0\0")), kWhole, WideString(), kNoBuffer},
  };
  for (const Case& c : cases) {
    Buffer buffer(c.list, c.length);
    const BYTE* old = buffer.data;
    const DWORD oldLength = buffer.length;
    AppendToMultiString(c.entry, buffer.data, buffer.length);
    if (c.expected == kNoBuffer) {
      EXPECT_EQ(old, buffer.data) << c.what;
      EXPECT_EQ(oldLength, buffer.length) << c.what;
    } else {
      EXPECT_NE(old, buffer.data) << c.what;
      EXPECT_EQ(LittleEndian(c.expected), buffer.Bytes()) << c.what;
    }
  }
}

TEST(AppendToMultiString, ThrowsBeforeTouchingBufferWhenLengthWouldOverflow) {
  Buffer buffer(Units(TEXT("a\0\0")), 0xFFFFFFFC);
  const BYTE* old = buffer.data;
  EXPECT_THROW(AppendToMultiString(TEXT("b"), buffer.data, buffer.length), std::bad_alloc);
  EXPECT_EQ(old, buffer.data);
  EXPECT_EQ(0xFFFFFFFCu, buffer.length);
}

TEST(RemoveFromMultiString, DropsEveryEntryContainingTextAndCutsAtClosingNul) {
  struct Case {
    const char* name;
    WideString list;
    WideString text;
    WideString expected;
  };
  const WideString names = Units(TEXT("alpha\0beta\0gamma\0\0"));
  const Case cases[] = {
      {"no entry contains it", Units(TEXT("a\0bc\0\0")), TEXT("z"), Units(TEXT("a\0bc\0\0"))},
      {"data behind closing NUL", Units(TEXT("a\0\0junk\0\0")), TEXT("z"), Units(TEXT("a\0\0"))},
      {"middle of one entry", names, TEXT("et"), Units(TEXT("alpha\0gamma\0\0"))},
      {"other letter case", names, TEXT("ET"), names},
      {"several entries", Units(TEXT("a.dll\0b.exe\0c.dll\0\0")), TEXT(".dll"), Units(TEXT("b.exe\0\0"))},
      {"longer than an entry", Units(TEXT("ab\0b\0\0")), TEXT("ab"), Units(TEXT("b\0\0"))},
      {"every entry", Units(TEXT("x\0xy\0\0")), TEXT("x"), Units(TEXT("\0"))},
      {"empty text", Units(TEXT("a\0b\0\0")), WideString(), Units(TEXT("\0"))},
      {"empty list", Units(TEXT("\0")), TEXT("a"), Units(TEXT("\0"))},
  };
  for (const Case& c : cases) {
    Buffer buffer(c.list);
    const BYTE* old = buffer.data;
    RemoveFromMultiString(c.text, buffer.data, buffer.length);
    EXPECT_NE(old, buffer.data) << c.name;
    EXPECT_EQ(LittleEndian(c.expected), buffer.Bytes()) << c.name;
  }
}

TEST(RemoveFromMultiString, KeepsOldSizeZeroFilledBehindNewLength) {
  Buffer buffer(Units(TEXT("a\0bcd\0\0")));
  RemoveFromMultiString(TEXT("c"), buffer.data, buffer.length);
  ASSERT_EQ(6u, buffer.length);
  const std::vector<BYTE> whole(buffer.data, buffer.data + 14);
  EXPECT_EQ(LittleEndian(Units(TEXT("a\0\0\0\0\0\0"))), whole);
}

TEST(RemoveFromMultiString, LeavesMissingTooShortOrMalformedBuffersNoLonger) {
  struct Case {
    WideString list;
    DWORD length;
    bool untouched;
  };
  const Case cases[] = {{kNoBuffer, 8, true},
                        {Units(TEXT("\0")), 0, true},
                        {Units(TEXT("\0")), 1, true},
                        {Units(TEXT("a\0")), kWhole, false},
                        {Units(TEXT("ab")), kWhole, false}};
  for (const Case& c : cases) {
    Buffer buffer(c.list, c.length);
    const BYTE* old = buffer.data;
    const DWORD oldLength = buffer.length;
    RemoveFromMultiString(TEXT("z"), buffer.data, buffer.length);
    EXPECT_LE(buffer.length, oldLength);
    if (c.untouched) {
      EXPECT_EQ(old, buffer.data);
      EXPECT_EQ(oldLength, buffer.length);
    }
  }
}

TEST(MultiStringToList, AppendsEntriesUpToFirstEmptyOne) {
  struct Case {
    const char* name;
    WideString units;
    StringList expected;  // after the entry "held" the list already had
  };
  const Case cases[] = {
      {"one-letter entry", Units(TEXT("a\0\0")), {TEXT("held"), TEXT("a")}},
      {"entry without closing NUL", Units(TEXT("a\0")), {TEXT("held")}},
      {"empty list", Units(TEXT("\0")), {TEXT("held")}},
      {"null buffer", kNoBuffer, {TEXT("held")}},
      {"entries keep spaces and order",
       Units(TEXT("ab\0 c d \0ab\0\0")),
       {TEXT("held"), TEXT("ab"), TEXT(" c d "), TEXT("ab")}},
      {"data behind closing NUL", Units(TEXT("a\0\0b\0\0")), {TEXT("held"), TEXT("a")}},
  };
  for (const Case& c : cases) {
    const Buffer buffer(c.units);
    StringList list = {TEXT("held")};
    MultiStringToList(list, reinterpret_cast<const WCHAR*>(buffer.data), buffer.length);
    EXPECT_EQ(c.expected, list) << c.name;
  }
}

}  // namespace
