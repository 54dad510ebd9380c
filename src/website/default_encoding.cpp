#include "website/default_encoding.h"

#include "metabase/default_web_site.h"
#include "metabase/metabase_key_holder.h"
#include "metabase/record_buffer.h"
#include "util/list_edits.h"
#include "util/multi_string.h"
#include "util/string_list.h"

namespace {

const WCHAR kHtmlMarker[] = TEXT(".htm");
const WCHAR kCharsetPrefix[] = TEXT("charset=");
const WCHAR kParameterEnd[] = TEXT(";");
// Asterisk included: it is part of the text searched for, not a wildcard.
const WCHAR kReplacedEntries[] = TEXT("*.htm");
const WCHAR kHtmlEntry[] = TEXT(".html,text/html;charset=");
const WCHAR kHtmEntry[] = TEXT(".htm,text/html;charset=");

ResultCode ReadMimeMap(MetabaseKey& key, RecordBuffer& buffer) {
  return key.ReadRecord(MD_MIME_MAP, METADATA_INHERIT, IIS_MD_UT_FILE, MULTISZ_METADATA, buffer.data, buffer.length);
}

}  // namespace

ResultCode ReadCharsetFromMimeMap(MetabaseConnection& connection, const WideString& keyPath, WideString& charset) {
  if (!connection.IsValid()) return kFailure;
  MetabaseKeyHolder key(connection.OpenKey(keyPath));
  if (!key.IsValid()) return kFailure;
  RecordBuffer buffer;
  const ResultCode read = ReadMimeMap(*key.Get(), buffer);
  if (read != kSuccess) return read;
  if (buffer.data == nullptr || buffer.length == 0) return kSuccess;
  StringList entries;
  MultiStringToList(entries, reinterpret_cast<const WCHAR*>(buffer.data), buffer.length);
  for (const auto& entry : entries) {
    if (entry.find(kHtmlMarker) == WideString::npos) continue;
    const size_t prefix = entry.find(kCharsetPrefix);
    if (prefix == WideString::npos) continue;
    const size_t start = prefix + WideString(kCharsetPrefix).size();
    const size_t end = entry.find(kParameterEnd, start);
    charset = entry.substr(start, end == WideString::npos ? WideString::npos : end - start);
    return kSuccess;
  }
  return kFailure;
}

ResultCode WriteCharsetToMimeMap(MetabaseConnection& connection, const WideString& keyPath, const WideString& charset) {
  if (!connection.IsValid()) return kFailure;
  MetabaseKeyHolder key(connection.OpenKey(keyPath));
  if (!key.IsValid()) return kFailure;
  RecordBuffer buffer;
  const ResultCode read = ReadMimeMap(*key.Get(), buffer);
  if (read != kSuccess) buffer.Clear();  // whatever the read gave, the list starts empty
  ReplaceEntriesContaining(kReplacedEntries, kHtmlEntry + charset, buffer.data, buffer.length);
  AppendToMultiString(kHtmEntry + charset, buffer.data, buffer.length);
  return key.Get()->WriteRecord(MD_MIME_MAP, METADATA_INHERIT, IIS_MD_UT_FILE, MULTISZ_METADATA, buffer.data,
                                buffer.length);
}

ResultCode GetDefaultEncoding(WideString& charset) {
  MetabaseConnection connection;
  if (!connection.IsValid()) return kFailure;
  WideString siteName;
  if (!connection.FindDefaultWebSite(siteName)) return kFailure;
  ResultCode result = ReadCharsetFromMimeMap(connection, RootKeyPath(siteName), charset);
  if (result != kSuccess) result = ReadCharsetFromMimeMap(connection, kWebServiceKeyPath, charset);
  return result;
}

ResultCode SetDefaultEncoding(const WideString& charset) {
  MetabaseConnection connection;
  WideString siteName;
  if (!connection.IsValid() || !connection.FindDefaultWebSite(siteName)) return kFailure;
  ResultCode result = WriteCharsetToMimeMap(connection, RootKeyPath(siteName), charset);
  if (result != kSuccess) result = WriteCharsetToMimeMap(connection, kWebServiceKeyPath, charset);
  if (result == kSuccess) result = connection.AdminBase()->SaveData();
  return result;
}
