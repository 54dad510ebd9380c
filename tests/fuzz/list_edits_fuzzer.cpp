// Properties of the text lists and multi-string edits over arbitrary input:
// appending then removing an entry gives back the same bytes, every edit
// applied twice equals applying it once, and no buffer, of any length or
// alignment, is read or written outside itself (the sanitizers watch that).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "util/list_edits.h"
#include "util/multi_string.h"
#include "util/string_list.h"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

struct Buffer {
  BYTE* data = nullptr;
  DWORD length = 0;
  Buffer() = default;
  Buffer(const BYTE* bytes, size_t size) : data(new BYTE[size]), length(static_cast<DWORD>(size)) {
    if (size) std::memcpy(data, bytes, size);
  }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  ~Buffer() { delete[] data; }
  std::vector<BYTE> Bytes() const { return data ? std::vector<BYTE>(data, data + length) : std::vector<BYTE>(); }
};

WideString Units(const uint8_t* bytes, size_t size) {
  WideString text(size / 2, u'\0');
  if (!text.empty()) std::memcpy(&text[0], bytes, text.size() * 2);
  return text;
}

// The input as text without NULs and without the marker, in pieces split at `at`.
StringList Pieces(const WideString& text, WCHAR marker) {
  WideString clean;
  for (WCHAR unit : text) clean += unit == 0 || unit == marker ? WCHAR(u'x') : unit;
  StringList pieces;
  SplitAtCharacter(clean, u'|', pieces);
  return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t split = data[0];
  ++data;
  --size;

  // Raw bytes, unaligned by one and exactly as long as the input.
  {
    std::vector<BYTE> spare(size + 1);
    std::memcpy(spare.data() + 1, data, size);
    BYTE* unaligned = new BYTE[size + 1];
    std::memcpy(unaligned, spare.data(), size + 1);
    StringList entries;
    MultiStringToList(entries, reinterpret_cast<const WCHAR*>(unaligned + 1), static_cast<DWORD>(size));
    delete[] unaligned;
    Buffer raw(data, size);
    const WideString text = Units(data, std::min<size_t>(size, split % 8));
    RemoveFromMultiString(text, raw.data, raw.length);
    Require(raw.length <= size);
    const std::vector<BYTE> once = raw.Bytes();
    RemoveFromMultiString(text, raw.data, raw.length);
    Require(raw.Bytes() == once);
  }

  // A well-formed list of the input's pieces, none holding the marker.
  const WCHAR marker = 0xFFFF;
  const StringList pieces = Pieces(Units(data, size), marker);
  Buffer list(reinterpret_cast<const BYTE*>("\0\0"), 2);
  for (const auto& piece : pieces) AppendToMultiString(piece, list.data, list.length);
  const std::vector<BYTE> before = list.Bytes();
  const WideString entry = WideString(1, marker) + (pieces.empty() ? WideString(u"e") : pieces.back());
  AppendToMultiString(entry, list.data, list.length);
  RemoveFromMultiString(WideString(1, marker), list.data, list.length);
  Require(list.Bytes() == before);

  StringList listed;
  MultiStringToList(listed, reinterpret_cast<const WCHAR*>(list.data), list.length);
  Require(listed == pieces);

  // Edits applied twice equal one.
  const WideString text = pieces.empty() ? WideString(u"t") : pieces[split % pieces.size()];
  const WideString replacement = u"1," + text + u",1,d";
  ReplaceEntriesContaining(text, replacement, list.data, list.length);
  const std::vector<BYTE> replacedOnce = list.Bytes();
  ReplaceEntriesContaining(text, replacement, list.data, list.length);
  Require(list.Bytes() == replacedOnce);

  const WideString joined = Units(data, size);
  WideString name = text.empty() ? WideString(u"n") : text;
  for (WCHAR& unit : name) unit = unit == u',' ? WCHAR(u'x') : unit;
  const WideString ordered = WithFilterInLoadOrder(joined, name);
  Require(WithFilterInLoadOrder(ordered, name) == ordered);
  const WideString documents = WithDefaultDocument(joined, text);
  Require(WithDefaultDocument(documents, text) == documents);
  const WideString path = WithoutFieldsContaining(joined, u';', text);
  Require(WithoutFieldsContaining(path, u';', text) == path);
  return 0;
}
