#include "metabase/metabase_key.h"

#include <algorithm>
#include <new>

#include "metabase/metabase_connection.h"
#include "metabase/record_buffer.h"

namespace {

// The platform's relative path to a key's own node.
const WCHAR kOwnNode[] = TEXT("/");
// The platform headers differ in whether the constant is signed.
const ResultCode kDataNotFound = static_cast<ResultCode>(MD_ERROR_DATA_NOT_FOUND);

METADATA_RECORD Record(DWORD identifier, DWORD attributes, DWORD userType, DWORD dataType, DWORD length, BYTE* data) {
  METADATA_RECORD record{};
  record.dwMDIdentifier = identifier;
  record.dwMDAttributes = attributes;
  record.dwMDUserType = userType;
  record.dwMDDataType = dataType;
  record.dwMDDataLen = length;
  record.pbMDData = data;
  return record;
}

}  // namespace

MetabaseKey::MetabaseKey(METADATA_HANDLE handle, MetabaseConnection* connection)
    : handle_(handle), connection_(connection) {}

MetabaseKey::~MetabaseKey() { Close(); }

bool MetabaseKey::IsValid() const { return handle_ != 0 && connection_ != nullptr && connection_->IsValid(); }

void MetabaseKey::Close() {
  if (IsValid()) connection_->AdminBase()->CloseKey(handle_);
}

ResultCode MetabaseKey::ReadRecord(DWORD identifier, DWORD attributes, DWORD userType, DWORD dataType, BYTE*& buffer,
                                   DWORD& length) {
  if (!IsValid()) return kFailure;
  buffer = nullptr;
  length = 0;
  METADATA_RECORD record = Record(identifier, attributes, userType, dataType, 0, nullptr);
  DWORD required = 0;
  ResultCode result = connection_->AdminBase()->GetData(handle_, kOwnNode, &record, &required);
  // Any failure with a size is retried with a buffer of that size.
  if (result >= 0 || required == 0) return result;
  // Without memory the caller still learns the size the record needs.
  length = required;
  buffer = new (std::nothrow) BYTE[required];
  if (buffer == nullptr) return result;
  record = Record(identifier, attributes, userType, dataType, length, buffer);
  result = connection_->AdminBase()->GetData(handle_, kOwnNode, &record, &required);
  if (result < 0) {
    delete[] buffer;
    buffer = nullptr;
    length = 0;
  }
  return result;
}

ResultCode MetabaseKey::WriteRecord(DWORD identifier, DWORD attributes, DWORD userType, DWORD dataType,
                                    const BYTE* data, DWORD length) {
  if (!IsValid()) return kFailure;
  // SetData does not write through the pointer; its signature just lacks the const.
  METADATA_RECORD record = Record(identifier, attributes, userType, dataType, length, const_cast<BYTE*>(data));
  return connection_->AdminBase()->SetData(handle_, kOwnNode, &record);
}

ResultCode MetabaseKey::ReadString(DWORD identifier, DWORD attributes, DWORD userType, WideString& text) {
  RecordBuffer buffer;
  const ResultCode result = ReadRecord(identifier, attributes, userType, STRING_METADATA, buffer.data, buffer.length);
  if (result == kSuccess && buffer.HasData()) {
    WideString units(buffer.length / sizeof(WCHAR), WCHAR(0));
    std::copy(buffer.data, buffer.data + units.size() * sizeof(WCHAR), reinterpret_cast<BYTE*>(&units[0]));
    text.assign(units.c_str());
  }
  return result;
}

ResultCode MetabaseKey::WriteDword(DWORD identifier, DWORD attributes, DWORD userType, DWORD value) {
  return WriteRecord(identifier, attributes, userType, DWORD_METADATA, reinterpret_cast<const BYTE*>(&value),
                     sizeof value);
}

ResultCode MetabaseKey::WriteString(DWORD identifier, DWORD attributes, DWORD userType, const WideString& text) {
  if (text.empty() || !IsValid()) return kSuccess;
  const auto length = static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR));
  return WriteRecord(identifier, attributes, userType, STRING_METADATA, reinterpret_cast<const BYTE*>(text.c_str()),
                     length);
}

bool IsEditableListRead(ResultCode read) { return read == kSuccess || read == kDataNotFound; }
