#include "util/multi_string.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>

namespace {

static_assert(sizeof(WCHAR) == 2, "multi-string buffers hold UTF-16 code units");

constexpr DWORD kUnitSize = sizeof(WCHAR);

using WideView = std::basic_string_view<WCHAR>;

// Copies the buffer's whole code units out once, so the scans below work on
// properly typed, aligned memory.
WideString ReadUnits(const void* buffer, DWORD length) {
  WideString units(length / kUnitSize, WCHAR(0));
  std::memcpy(&units[0], buffer, units.size() * kUnitSize);
  return units;
}

// Calls visit(start, count) for each entry up to the first empty one, which
// ends the list. A last entry without its NUL runs to the end of `units`.
template <typename Visit>
void ForEachEntry(const WideString& units, Visit visit) {
  size_t position = 0;
  while (position < units.size()) {
    size_t end = units.find(WCHAR(0), position);
    if (end == WideString::npos) {
      end = units.size();
    }
    if (end == position) {
      return;
    }
    visit(position, end - position);
    position = end + 1;
  }
}

}  // namespace

void AppendToMultiString(const WideString& entry, BYTE*& buffer, DWORD& length) {
  if (entry.empty()) {
    return;
  }
  // Without a list the old data is just the closing NUL, which the new
  // buffer's zero fill supplies.
  const bool hasList = buffer != nullptr && length >= kUnitSize;
  const DWORD oldLength = hasList ? length : kUnitSize;
  const uint64_t newLength = uint64_t{oldLength} + uint64_t{entry.size()} * kUnitSize + kUnitSize;
  if (newLength > std::numeric_limits<DWORD>::max()) {
    throw std::bad_array_new_length();
  }

  BYTE* result = new BYTE[newLength]();
  if (hasList) {
    std::memcpy(result, buffer, oldLength - kUnitSize);
  }
  std::memcpy(result + oldLength - kUnitSize, entry.data(), entry.size() * kUnitSize);

  delete[] buffer;
  buffer = result;
  length = static_cast<DWORD>(newLength);
}

void RemoveFromMultiString(const WideString& text, BYTE*& buffer, DWORD& length) {
  if (buffer == nullptr || length < kUnitSize) {
    return;
  }
  const WideString units = ReadUnits(buffer, length);
  WideString kept;
  ForEachEntry(units, [&](size_t start, size_t count) {
    if (WideView(units.data() + start, count).find(text) == WideView::npos) {
      kept.append(units, start, count);
      kept += WCHAR(0);
    }
  });

  // For a well-formed list the kept entries plus the closing NUL always fit;
  // the clamps only keep a malformed one inside its allocation.
  BYTE* result = new BYTE[length]();
  std::memcpy(result, kept.data(), std::min<size_t>(kept.size() * kUnitSize, length));

  delete[] buffer;
  buffer = result;
  length = static_cast<DWORD>(std::min<size_t>(kept.size() * kUnitSize + kUnitSize, length));
}

void MultiStringToList(StringList& list, const WCHAR* buffer, DWORD length) {
  if (buffer == nullptr || length / kUnitSize <= 2) {
    return;
  }
  const WideString units = ReadUnits(buffer, length);
  ForEachEntry(units, [&](size_t start, size_t count) { list.emplace_back(units, start, count); });
}
