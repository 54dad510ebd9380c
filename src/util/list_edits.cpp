#include "util/list_edits.h"

#include "util/multi_string.h"
#include "util/string_list.h"

namespace {

const WCHAR kComma = TEXT(',');

}  // namespace

WideString WithFilterInLoadOrder(const WideString& loadOrder, const WideString& name) {
  StringList fields;
  SplitAtCharacter(loadOrder, kComma, fields);
  if (ListContains(fields, name)) return loadOrder;
  WideString result = loadOrder;
  if (!fields.empty()) result += kComma;
  return result + name;
}

WideString WithDefaultDocument(const WideString& documents, const WideString& document) {
  if (documents.empty()) return document;
  if (documents.find(document) != WideString::npos) return documents;
  return documents + kComma + document;
}

WideString WithoutFieldsContaining(const WideString& text, WCHAR separator, const WideString& part) {
  StringList fields;
  SplitAtCharacter(text, separator, fields);
  WideString kept;
  for (const auto& field : fields) {
    if (field.find(part) != WideString::npos) continue;
    if (!kept.empty()) kept += separator;
    kept += field;
  }
  return kept;
}

void ReplaceEntriesContaining(const WideString& text, const WideString& entry, BYTE*& buffer, DWORD& length) {
  RemoveFromMultiString(text, buffer, length);
  AppendToMultiString(entry, buffer, length);
}
