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

// Holds a buffer the way a caller does and releases whatever it ends up with.
struct Buffer {
  BYTE* data = nullptr;
  DWORD length = 0;

  Buffer() = default;
  explicit Buffer(const WideString& units) {
    const std::vector<BYTE> bytes = LittleEndian(units);
    data = new BYTE[bytes.size()];
    std::copy(bytes.begin(), bytes.end(), data);
    length = static_cast<DWORD>(bytes.size());
  }
  Buffer(Buffer&& other) noexcept : data(other.data), length(other.length) { other.data = nullptr; }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  ~Buffer() { delete[] data; }

  std::vector<BYTE> Bytes() const { return std::vector<BYTE>(data, data + length); }
};

const WideString kNoBuffer = TEXT("(null)");

Buffer MakeBuffer(const WideString& units) { return units == kNoBuffer ? Buffer() : Buffer(units); }

TEST(AppendToMultiString, AddsEntryLastFollowedByTwoNuls) {
  struct Case {
    WideString list;
    WideString entry;
    WideString expected;
  };
  const Case cases[] = {
      {kNoBuffer, TEXT("ab"), Units(TEXT("ab\0\0"))},
      {Units(TEXT("\0")), TEXT("x"), Units(TEXT("x\0\0"))},
      {Units(TEXT("a\0bc\0\0")), TEXT("d e"), Units(TEXT("a\0bc\0d e\0\0"))},
      {Units(TEXT("a\0\0")), TEXT("a"), Units(TEXT("a\0a\0\0"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "list of " << c.list.size() << " units, entry of " << c.entry.size());
    Buffer buffer = MakeBuffer(c.list);
    const BYTE* old = buffer.data;
    AppendToMultiString(c.entry, buffer.data, buffer.length);
    EXPECT_NE(old, buffer.data);
    EXPECT_EQ(LittleEndian(c.expected), buffer.Bytes());
  }
}

TEST(AppendToMultiString, EmptyEntryLeavesPointerAndLengthAsTheyWere) {
  for (const WideString& list : {kNoBuffer, Units(TEXT("a\0\0"))}) {
    Buffer buffer = MakeBuffer(list);
    const BYTE* old = buffer.data;
    const DWORD oldLength = buffer.length;
    AppendToMultiString(WideString(), buffer.data, buffer.length);
    EXPECT_EQ(old, buffer.data);
    EXPECT_EQ(oldLength, buffer.length);
  }
}

TEST(AppendToMultiString, IgnoresBytesBeyondLength) {
  Buffer buffer(Units(TEXT("a\0\0zz\0\0")));
  buffer.length = 6;
  AppendToMultiString(TEXT("b"), buffer.data, buffer.length);
  EXPECT_EQ(LittleEndian(Units(TEXT("a\0b\0\0"))), buffer.Bytes());
}

// The old allocation must be released, not leaked; a leak checker sees that.
TEST(AppendToMultiString, ReplacesBufferThatComesWithLengthZero) {
  Buffer buffer(Units(TEXT("q\0\0")));
  buffer.length = 0;
  AppendToMultiString(TEXT("x"), buffer.data, buffer.length);
  EXPECT_EQ(LittleEndian(Units(TEXT("x\0\0"))), buffer.Bytes());
}

TEST(AppendToMultiString, ThrowsBeforeTouchingBufferWhenLengthWouldOverflow) {
  Buffer buffer(Units(TEXT("a\0\0")));
  const BYTE* old = buffer.data;
  buffer.length = 0xFFFFFFFC;
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
    SCOPED_TRACE(c.name);
    Buffer buffer(c.list);
    const BYTE* old = buffer.data;
    RemoveFromMultiString(c.text, buffer.data, buffer.length);
    EXPECT_NE(old, buffer.data);
    EXPECT_EQ(LittleEndian(c.expected), buffer.Bytes());
  }
}

TEST(RemoveFromMultiString, KeepsOldSizeZeroFilledBehindNewLength) {
  Buffer buffer(Units(TEXT("a\0bcd\0\0")));
  RemoveFromMultiString(TEXT("c"), buffer.data, buffer.length);
  ASSERT_EQ(6u, buffer.length);
  const std::vector<BYTE> whole(buffer.data, buffer.data + 14);
  EXPECT_EQ(LittleEndian(Units(TEXT("a\0\0\0\0\0\0"))), whole);
}

TEST(RemoveFromMultiString, LeavesMissingOrTooShortBufferAlone) {
  struct Case {
    WideString list;
    DWORD length;
  };
  const Case cases[] = {{kNoBuffer, 8}, {Units(TEXT("\0")), 0}, {Units(TEXT("\0")), 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    Buffer buffer = MakeBuffer(c.list);
    buffer.length = c.length;
    const BYTE* old = buffer.data;
    RemoveFromMultiString(TEXT("a"), buffer.data, buffer.length);
    EXPECT_EQ(old, buffer.data);
    EXPECT_EQ(c.length, buffer.length);
  }
}

TEST(RemoveFromMultiString, NeverReportsMoreThanTheOldLengthForMalformedList) {
  for (const WideString& list : {Units(TEXT("a\0")), Units(TEXT("ab"))}) {
    Buffer buffer(list);
    RemoveFromMultiString(TEXT("z"), buffer.data, buffer.length);
    EXPECT_LE(buffer.length, 4u);
  }
}

TEST(MultiStringToList, AppendsEntriesUpToFirstEmptyOne) {
  struct Case {
    const char* name;
    WideString units;
    StringList expected;
  };
  const Case cases[] = {
      {"one-letter entry", Units(TEXT("a\0\0")), {TEXT("a")}},
      {"entry without closing NUL", Units(TEXT("a\0")), {}},
      {"empty list", Units(TEXT("\0")), {}},
      {"null buffer", kNoBuffer, {}},
      {"entries keep spaces and order", Units(TEXT("ab\0 c d \0ab\0\0")), {TEXT("ab"), TEXT(" c d "), TEXT("ab")}},
      {"data behind closing NUL", Units(TEXT("a\0\0b\0\0")), {TEXT("a")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Buffer buffer = MakeBuffer(c.units);
    StringList list;
    MultiStringToList(list, reinterpret_cast<const WCHAR*>(buffer.data), buffer.length);
    EXPECT_EQ(c.expected, list);
  }
}

TEST(MultiStringToList, KeepsWhatTheListAlreadyHeld) {
  const Buffer buffer(Units(TEXT("b\0\0")));
  StringList list = {TEXT("a")};
  MultiStringToList(list, reinterpret_cast<const WCHAR*>(buffer.data), buffer.length);
  EXPECT_EQ((StringList{TEXT("a"), TEXT("b")}), list);
}

}  // namespace
