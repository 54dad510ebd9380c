#include "filters/list_edits.h"

#include "util/multi_string.h"
#include "util/string_list.h"

namespace {

const WCHAR kSeparator = TEXT(',');
// The platform headers differ in whether the constant is signed.
const ResultCode kDataNotFound = static_cast<ResultCode>(MD_ERROR_DATA_NOT_FOUND);

}  // namespace

WideString WithFilterInLoadOrder(const WideString& loadOrder, const WideString& name) {
  StringList fields;
  SplitAtCharacter(loadOrder, kSeparator, fields);
  if (ListContains(fields, name)) return loadOrder;
  WideString result = loadOrder;
  if (!fields.empty()) result += kSeparator;
  return result + name;
}

WideString WithDefaultDocument(const WideString& documents, const WideString& document) {
  if (documents.empty()) return document;
  if (documents.find(document) != WideString::npos) return documents;
  return documents + kSeparator + document;
}

void ReplaceEntriesContaining(const WideString& text, const WideString& entry, RecordBuffer& buffer) {
  if (buffer.HasData()) RemoveFromMultiString(text, buffer.data, buffer.length);
  AppendToMultiString(entry, buffer.data, buffer.length);
}

bool IsEditableListRead(ResultCode read) { return read == kSuccess || read == kDataNotFound; }
