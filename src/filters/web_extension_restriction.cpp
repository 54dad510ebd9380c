#include "filters/web_extension_restriction.h"

#include "metabase/default_web_site.h"
#include "metabase/metabase_connection.h"
#include "metabase/metabase_key_holder.h"
#include "metabase/record_buffer.h"
#include "util/list_edits.h"

namespace {

const WCHAR kAllowed[] = TEXT("1,");
const WCHAR kDeletable[] = TEXT(",1,");

ResultCode AllowInList(MetabaseConnection& connection, const WideString& entry, const WideString& extensionPath) {
  MetabaseKeyHolder key(connection.OpenKey(kWebServiceKeyPath));
  if (!key.IsValid()) return kFailure;
  RecordBuffer buffer;
  const ResultCode read = key.Get()->ReadRecord(MD_WEB_SVC_EXT_RESTRICTION_LIST, METADATA_NO_ATTRIBUTES,
                                                IIS_MD_UT_SERVER, MULTISZ_METADATA, buffer.data, buffer.length);
  if (!IsEditableListRead(read)) return read;
  ReplaceEntriesContaining(extensionPath, entry, buffer.data, buffer.length);
  return key.Get()->WriteRecord(MD_WEB_SVC_EXT_RESTRICTION_LIST, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER,
                                MULTISZ_METADATA, buffer.data, buffer.length);
}

}  // namespace

ResultCode UpdateWebExtensionRestrictionList(const WideString& description, const WideString& extensionPath) {
  if (extensionPath.empty()) return kFailure;
  MetabaseConnection connection;
  if (!connection.IsValid()) return kFailure;
  // The key is closed inside, before the save.
  ResultCode result = AllowInList(connection, kAllowed + extensionPath + kDeletable + description, extensionPath);
  if (result == kSuccess) result = connection.AdminBase()->SaveData();
  return result;
}
