#pragma once

#include "platform.h"
#include "util/string_list.h"

// A multi-string buffer is UTF-16 entries, each closed by a NUL, then one more
// NUL ending the list; `length` is in bytes and counts every NUL. A null
// pointer or a length of 0 means there is no list.
//
// Contract: buffers are `new BYTE[]` owned by whoever holds the pointer last;
// Append and Remove hand back a new allocation and delete[] the old one, and
// the only failure that escapes is std::bad_alloc, thrown before the caller's
// pointer and length are touched.
//
// Choices beyond the obvious:
// - A non-null buffer with a length below 2 holds no list; Append releases it
//   rather than leak it, and Remove leaves it alone.
// - Append throws std::bad_array_new_length (a std::bad_alloc) when the new
//   length would not fit a DWORD.
// - Remove keeps the allocation at the old length, zero-filled behind the new
//   length; data that sat behind the closing NUL is dropped.
// - A malformed buffer (last entry without its NUL, odd length) gives some
//   list but is never read or written outside `length`.
// - An entry holding a NUL itself would split into two; callers never pass one.

// Appends even when the entry is already listed; an empty entry changes nothing.
void AppendToMultiString(const WideString& entry, BYTE*& buffer, DWORD& length);

// Removes every entry containing `text` (case-sensitive); an empty text
// removes them all, leaving the empty list of 2 bytes.
void RemoveFromMultiString(const WideString& text, BYTE*& buffer, DWORD& length);

// `buffer` may point into a BYTE allocation: it is read bytewise, whatever its
// alignment. Fewer than 6 bytes hold no entry.
void MultiStringToList(StringList& list, const WCHAR* buffer, DWORD length);
